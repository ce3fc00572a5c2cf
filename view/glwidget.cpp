#include "glwidget.h"

#include "clientmessage.h"
#include "displaylist.h"
#include "hitmarkers.h"
#include "light.h"
#include "logic.h"
#include "panelfont.h"
#include "scenecache.h"
#include "scenelayout.h"
#include "scopelabels.h"
#include "shapes.h"
#include "stationmodels.h"
#include "stationmonitors.h"
#include "sweepfootprint.h"
#include "windowprojection.h"
#include "windowsurface.h"
#include "zoneoverlay.h"

#include <GL/glu.h>
#include <QPixmap>
#include <QScopedValueRollback>

namespace
{

const QSize kPreferredSize(400, 400);
const QSize kSmallestSize(50, 50);

// Set to 0, the view draws every frame whole, as plain fixed-function drawing
// would: the fixed part of the scene is not kept and the sweep's square is
// not cut to its visible part. For comparing the two and for drivers that
// mishandle the shortcuts.
const char *const kShortcutsVariable = "RADAR_SCENE_CACHE";

// The front material; the scene is drawn unlit, so it shades nothing today.
const GLfloat kMaterialShininess = 20.0f;
const GLfloat kMaterialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat kMaterialAmbient[4] = {1.0f, 1.0f, 0.0f, 1.0f};
const GLfloat kMaterialDiffuse[4] = {1.0f, 1.0f, 0.0f, 1.0f};

// Turns a quad from the x/y plane to lie face up in the x/z plane.
void layFlat()
{
    glRotatef(90.0f, -1.0f, 0.0f, 0.0f);
}

// The screen and the sweep share this orientation: flat, then a half turn so
// that the texture's top points away from the camera, then scaled to size.
void layScreenQuad()
{
    const GLfloat size = GLfloat(scene::kScreenSize);
    layFlat();
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glScalef(size, size, size);
}

} // namespace

GLWidget::GLWidget(Logic *logic) : GLWidget(logic, QString()) {}

GLWidget::GLWidget(Logic *logic, const QString &assetsFolder)
    : logic(logic), assets(assetsFolder), light(nullptr), screenList(nullptr), sweepList(nullptr),
      markerList(nullptr),
      shortcutsWanted(qEnvironmentVariable(kShortcutsVariable) != QLatin1String("0"))
{
}

GLWidget::~GLWidget()
{
    // The light and the lists belong to this widget's context, which need not
    // be current when a window tears down its children.
    if ((light != nullptr || screenList != nullptr || sweepList != nullptr ||
         markerList != nullptr) &&
        isValid())
        makeCurrent();
    freeSceneObjects();
}

// Each pointer is left null, so that a new context can build its own objects
// after the old ones are gone.
void GLWidget::freeSceneObjects()
{
    delete light;
    light = nullptr;
    delete screenList;
    screenList = nullptr;
    delete sweepList;
    sweepList = nullptr;
    delete markerList;
    markerList = nullptr;
    outage.releaseGL();
    zoneOverlay.reset();
    scopeLabels.reset();
    monitors.reset();
    stationModels.reset();
    sceneCache.reset();
    sweepFootprint.reset();
}

QSize GLWidget::sizeHint() const
{
    return kPreferredSize;
}

QSize GLWidget::minimumSizeHint() const
{
    return kSmallestSize;
}

void GLWidget::showZones(const ZoneWatch *zones)
{
    zoneWatch = zones;
}

void GLWidget::setPanelTexts(const PanelTexts &texts)
{
    panelTexts = texts;
    if (monitors)
        monitors->setTexts(texts);
}

void GLWidget::setSignalLost(bool lost)
{
    outage.setSignalLost(lost, logic->beamAngle());
}

void GLWidget::updateGL()
{
    const QScopedValueRollback<bool> asked(programPaints, true);
    GLWidgetBase::updateGL();
}

std::optional<int> GLWidget::reportedBufferAge() const
{
    return reportedBackBufferAge();
}

// Qt calls this again when it re-creates the context (a view moved to another
// window, say): what the old context had is freed first.
void GLWidget::initializeGL()
{
    freeSceneObjects();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    light = new PositionalLight(scene::kLightAmbient, scene::kLightDiffuse, scene::kLightSpecular,
                                scene::kLightPosition);
    loadTextures();
    buildMarkerList();
    buildScreenList();
    buildSweepList();
    scopeLabels = std::make_unique<ScopeLabels>(fontTexture);
    monitors = std::make_unique<StationMonitors>(fontTexture);
    monitors->setTexts(panelTexts);
    stationModels = std::make_unique<StationModels>(
        [this](const char *file) { return assets.path(scene::kModelFolder, file); });
    setMaterial();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    windowAlpha = WindowAlpha::ofBoundFramebuffer();
    if (shortcutsWanted) {
        sceneCache = SceneCache::create();
        glBindTexture(GL_TEXTURE_2D, sweepTexture);
        sweepFootprint = SweepFootprint::ofBoundTexture();
    }
}

void GLWidget::loadTextures()
{
    const struct {
        const char *file;
        GLuint *name;
    } textures[] = {
        {scene::kRadarUnit.textureFile, &radarTexture}, {scene::kTable.textureFile, &tableTexture},
        {scene::kScreenTexture, &screenTexture},        {scene::kSweepTexture, &sweepTexture},
        {scene::kDisplay.textureFile, &displayTexture}, {scene::kMarkerTexture, &markerTexture},
    };
    for (const auto &texture : textures)
        *texture.name = loadTexture(texture.file);
    fontTexture = loadTexture(panelfont::kTextureFile);
}

GLuint GLWidget::loadTexture(const char *file)
{
    return bindTexture(assets.texture(file), GL_TEXTURE_2D, GL_RGBA);
}

void GLWidget::buildMarkerList()
{
    // No push/pop: calling the list leaves the turn on the current matrix.
    markerList = new DisplayList;
    markerList->begin();
    glBindTexture(GL_TEXTURE_2D, markerTexture);
    layFlat();
    drawQuad();
    DisplayList::end();
}

void GLWidget::buildScreenList()
{
    screenList = new DisplayList;
    screenList->begin();
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kScreenHeight),
                 GLfloat(scene::kScreenCentreZ));
    layScreenQuad();
    glBindTexture(GL_TEXTURE_2D, screenTexture);
    drawQuad();
    glPopMatrix();
    DisplayList::end();
}

void GLWidget::buildSweepList()
{
    sweepList = new DisplayList;
    sweepList->begin();
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, sweepTexture);
    drawQuad();
    glPopMatrix();
    DisplayList::end();
}

void GLWidget::setMaterial()
{
    glMaterialfv(GL_FRONT, GL_SHININESS, &kMaterialShininess);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kMaterialSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, kMaterialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kMaterialDiffuse);
}

void GLWidget::resizeGL(int width, int height)
{
    viewSize = surfaceSize(QSize(width, height));
    drawnAtViewSize = false;
    if (sceneCache)
        sceneCache->forget();
    glViewport(0, 0, viewSize.width(), viewSize.height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height (a collapsed layout) would make the aspect ratio infinite
    // or NaN and poison the projection; treat it as one pixel.
    const double aspect =
        static_cast<double>(viewSize.width()) / (viewSize.height() > 0 ? viewSize.height() : 1);
    gluPerspective(scene::kFieldOfViewYDeg, aspect, scene::kNearPlane, scene::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

// Qt 5's QGLWidget gives resizeGL the widget's size times the display scale
// cut to whole pixels; at a fractional scale the window system may have
// rounded the window's buffers up, and then their size is taken instead.
QSize GLWidget::surfaceSize(const QSize &given) const
{
#if QT_VERSION_MAJOR < 6
    const double scale = devicePixelRatioF();
    if (given == QSize(int(this->width() * scale), int(this->height() * scale)))
        return surfaceDeviceSize(size(), scale);
#endif
    return given;
}

#if QT_VERSION_MAJOR < 6
// QGLWidget sizes the view when the widget is resized, which may be before the
// window system has resized the window; so before each frame the view follows
// the size the window system has, as the Qt 6 base does.
void GLWidget::glDraw()
{
    const double scale = devicePixelRatioF();
    if (light != nullptr && isValid() && !isWholeDeviceSize(size(), scale)) {
        makeCurrent();
        const QSize surface = surfaceDeviceSize(size(), scale);
        if (surface != viewSize)
            resizeGL(surface.width(), surface.height());
    }
    GLWidgetBase::glDraw();
}
#endif

bool GLWidget::keepsFixedScene()
{
    makeCurrent();
    return sceneCacheHolds();
}

bool GLWidget::sceneCacheHolds() const
{
    return sceneCache && sceneCache->holds(viewSize);
}

void GLWidget::paintGL()
{
    prepareZones();
    if (sceneCache)
        sceneCache->beginFrame();
    if (sceneCacheHolds()) {
        restoreFixedScene();
        refreshMonitors();
    } else {
        drawFixedScene();
    }
    const QRegion zonesArea = zoneOverlay ? zoneOverlay->drawStateOutlines(shownBeam()) : QRegion();
    const QRect sweepArea = drawSweep();
    const QRect markersArea = drawHits();
    const QRect markArea =
        outage.drawMark([this] { return loadTexture(scene::kNoSignalTexture); }, wholeView());
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    light->disable();
    const QRegion drawn = zonesArea | sweepArea | markersArea | markArea;
    windowAlpha.makeOpaque(drawn);
    if (sceneCache)
        sceneCache->finishFrame(drawn);
    shownFrame = true;
}

// The faint outlines belong to the kept scene, which is drawn anew with them.
void GLWidget::prepareZones()
{
    if (zoneWatch == nullptr || zoneOverlay)
        return;
    zoneOverlay = std::make_unique<ZoneOverlay>(*zoneWatch, fontTexture);
    if (sceneCache)
        sceneCache->forget();
}

// The part of the frame before the sweep, which only a new size changes: drawn
// whole, and kept for the frames that follow when the view has a cache.
//
// Storing reads the window back, which takes as long as a frame or two, so the
// first frame at a size is shown before anything is stored: a window appears,
// or follows a resize, without waiting for the cache.
void GLWidget::drawFixedScene()
{
    drawStationAndScreen();
    const bool firstAtThisSize = !drawnAtViewSize;
    drawnAtViewSize = true;
    if (sceneCache && !firstAtThisSize && !sceneCache->store(viewSize)) {
        // The cache's failed checks may have overwritten what was just drawn.
        sceneCache.reset();
        drawStationAndScreen();
    }
    drawMonitors();
}

// The monitors are kept with the scene when it is kept, and drawn anew there
// only when their looks change; else they are drawn with it.
void GLWidget::drawMonitors()
{
    if (sceneCacheHolds()) {
        monitors->forget();
        refreshMonitors();
        return;
    }
    for (int monitor = 0; monitor < PanelTexts::kPanels; ++monitor)
        monitors->draw(monitor, shownBeam());
}

void GLWidget::refreshMonitors()
{
    const double beam = shownBeam();
    for (int monitor = 0; monitor < PanelTexts::kPanels; ++monitor) {
        if (!monitors->isStale(monitor, beam))
            continue;
        const QRect area = monitors->area(monitor);
        sceneCache->redraw(area, [&] {
            monitors->draw(monitor, beam);
            windowAlpha.makeOpaque(area);
        });
    }
}

double GLWidget::shownBeam() const
{
    return outage.shownBeam(logic->beamAngle());
}

void GLWidget::drawStationAndScreen()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setCamera();
    light->apply();
    stationModels->draw({radarTexture, tableTexture, displayTexture});
    glEnable(GL_BLEND);
    drawScreen();
    scopeLabels->draw();
    if (zoneOverlay)
        zoneOverlay->drawFaintOutlines();
    // Before the scene is kept, so that what is restored from it is opaque.
    windowAlpha.makeOpaque(wholeView());
}

// The kept pixels where the frames since the one the back buffer holds drew
// over them, and the state that drawing them would have left for the sweep
// and the markers: camera, light, blending, the colour of the models and the
// screen's texture.
void GLWidget::restoreFixedScene()
{
    sceneCache->restore(!programPaints, reportedBufferAge());
    setCamera();
    light->apply();
    glColor4fv(scene::kModelColour);
    glBindTexture(GL_TEXTURE_2D, screenTexture);
    glEnable(GL_BLEND);
}

void GLWidget::setCamera()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(scene::kEye.x, scene::kEye.y, scene::kEye.z, scene::kLookAt.x, scene::kLookAt.y,
              scene::kLookAt.z, scene::kUp.x, scene::kUp.y, scene::kUp.z);
}

void GLWidget::drawScreen()
{
    glPushMatrix();
    screenList->call();
    glPopMatrix();
}

QRect GLWidget::wholeView() const
{
    return QRect(QPoint(0, 0), viewSize);
}

QRect GLWidget::drawSweep()
{
    // A growing beam angle turns the sweep clockwise seen from above, the way
    // the logic's bearings grow.
    const float angle = static_cast<float>(shownBeam());
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kSweepHeight),
                 GLfloat(scene::kScreenCentreZ));
    glRotatef(angle, 0.0f, -1.0f, 0.0f);
    layScreenQuad();
    const QRect area = drawSweepQuad();
    glPopMatrix();
    return area;
}

// The sweep's square, once per band of rows that its visible part reaches
// when the view knows them, else whole; the window area it drew in.
QRect GLWidget::drawSweepQuad()
{
    const auto area = sweepFootprint ? sweepFootprint->drawInBands(*sweepList) : std::nullopt;
    if (area)
        return *area;
    sweepList->call();
    return wholeView();
}

QRect GLWidget::drawHits()
{
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kMarkerHeight),
                 GLfloat(scene::kScreenCentreZ));
    const QRect area = drawHitMarkers(*logic->hits(), *markerList, zoneOverlay.get(), wholeView());
    glPopMatrix();
    return area;
}
