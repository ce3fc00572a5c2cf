#pragma once

#include "assetfolder.h"
#include "glwidgetbase.h"
#include "outagepicture.h"
#include "paneltexts.h"
#include "windowalpha.h"

#include <memory>
#include <optional>

class DisplayList;
class Logic;
class PositionalLight;
class SceneCache;
class ScopeLabels;
class StationMonitors;
class StationModels;
class SweepFootprint;
class ZoneOverlay;
class ZoneWatch;

// The OpenGL view of the radar station: from a fixed camera, a flat radar
// screen, a sweep turned by the logic's beam angle, and one fading marker per
// hit. It only reads the logic; the main window's frame timer repaints it
// through updateGL().
//
// Scene units throughout; the radar screen is a 5 x 5 square lying face up,
// centred on (0, 1.45, -0.5).
class GLWidget : public GLWidgetBase
{
    Q_OBJECT

public:
    // logic is not owned and must outlive every repaint; the destructor does
    // not touch it. The textures and models are read from the working
    // directory, or from assetsFolder when one is given.
    explicit GLWidget(Logic *logic);
    GLWidget(Logic *logic, const QString &assetsFolder);
    ~GLWidget() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Draws the guard zones of zones, which is not owned and must outlive
    // every repaint, from the next frame on.
    void showZones(const ZoneWatch *zones);

    // What the station's three monitors say from the next frame on.
    void setPanelTexts(const PanelTexts &texts);

    // While the signal is lost (the client has no connection to its server),
    // the sweep stands where it was and a "no signal" mark lies on the screen;
    // the markers already shown fade as usual (see OutagePicture).
    void setSignalLost(bool lost);

    // The program's repaint; every other paint is one the window system asked
    // for, whose back buffer may have lost its pixels.
    void updateGL() override;
    // True once a frame has been drawn: a repaint draws nothing while the
    // window system does not show the view.
    bool hasShownFrame() const { return shownFrame; }

protected:
    // True when the next frame restores the station and the screen instead of
    // drawing them. Makes the view's context current.
    bool keepsFixedScene();

    // The age of the back buffer the next frame is drawn into, as the window
    // system reports it; nothing where it reports none. Called with the
    // context current as a frame begins.
    virtual std::optional<int> reportedBufferAge() const;

    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
#if QT_VERSION_MAJOR < 6
    void glDraw() override;
#endif

private:
    void loadTextures();
    GLuint loadTexture(const char *file);
    void buildMarkerList();
    void buildScreenList();
    void buildSweepList();
    void freeSceneObjects();
    void setMaterial();
    QSize surfaceSize(const QSize &given) const;
    bool sceneCacheHolds() const;
    void drawFixedScene();
    void drawStationAndScreen();
    void restoreFixedScene();
    void setCamera();
    void drawScreen();
    QRect wholeView() const;
    QRect drawSweep();
    QRect drawSweepQuad();
    QRect drawHits();
    void prepareZones();
    void drawMonitors();
    void refreshMonitors();
    double shownBeam() const;

    Logic *logic;
    const AssetFolder assets; // where the textures and models are read
    // Owned, created in initializeGL and deleted in the destructor.
    PositionalLight *light;
    DisplayList *screenList; // the screen quad with its transform and texture
    DisplayList *sweepList;  // the sweep quad; its turn is applied per frame
    DisplayList *markerList; // the hit marker quad, texture and turn to lie flat
    // The station: the radar unit, the table and the display.
    std::unique_ptr<StationModels> stationModels;
    // Texture names, owned by the widget's GL context.
    GLuint radarTexture;
    GLuint tableTexture;
    GLuint screenTexture;
    GLuint sweepTexture;
    GLuint displayTexture;
    GLuint markerTexture;
    GLuint fontTexture; // the panel font's atlas
    // The screen's numerals and the monitors' words, made in initializeGL.
    std::unique_ptr<ScopeLabels> scopeLabels;
    std::unique_ptr<StationMonitors> monitors;
    PanelTexts panelTexts; // kept across contexts
    // Shortcuts that give the pixels of the whole frame for less work, unless
    // the environment turns them off: the station and the screen as last
    // drawn at viewSize, restored instead of drawn again (null when this
    // context cannot keep them), and the part of the window the sweep can
    // change.
    const bool shortcutsWanted;
    std::unique_ptr<SceneCache> sceneCache;
    std::unique_ptr<SweepFootprint> sweepFootprint;
    // The guard zones, when there are any: their alarm states, and their
    // outlines and colours, made with the first frame that shows them.
    const ZoneWatch *zoneWatch = nullptr;
    std::unique_ptr<ZoneOverlay> zoneOverlay;
    QSize viewSize;               // device pixels, as resizeGL last gave them
    bool drawnAtViewSize = false; // a frame has been drawn since the size was set
    bool programPaints = false;   // inside updateGL: the paint is not an expose
    WindowAlpha windowAlpha;      // the window's, kept at 1 where frames draw
    bool shownFrame = false;      // see hasShownFrame
    OutagePicture outage;
};
