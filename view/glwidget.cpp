#include "glwidget.h"

#include "clientmessage.h"
#include "displaylist.h"
#include "glm.h"
#include "light.h"
#include "logic.h"
#include "scenecache.h"
#include "scenelayout.h"
#include "shapes.h"
#include "sweepfootprint.h"
#include "windowprojection.h"

#include <GL/glu.h>
#include <QDir>
#include <QFile>
#include <QPixmap>

#include <cmath>

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

// A hit's marker alpha is this times its remaining life in seconds, so a new
// hit (life 2) is opaque and fades out linearly.
const GLfloat kAlphaPerSecondOfLife = 0.5f;

// Window coordinates beyond this are taken as off any window, and a marker
// there makes the whole window count as drawn (hits are not clipped to the
// screen, and their coordinates come from the server).
constexpr double kFarthestPixel = 1e6;

// Pixels added around the area of a marker: room for the rounding of the
// projection here against the rasteriser's.
constexpr double kAreaMarginPixels = 2.0;

struct ScenePoint {
    double x, y, z;
};

// The smallest window rectangle that holds these points of the current
// coordinates, widened by the margin; nothing when one lies behind the eye or
// off any scale.
std::optional<QRect> windowArea(const WindowProjection &projection,
                                std::initializer_list<ScenePoint> points)
{
    double left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;
    for (const ScenePoint &point : points) {
        const auto onWindow = projection.toWindow(point.x, point.y, point.z);
        if (!onWindow || !(std::abs(onWindow->x()) < kFarthestPixel) ||
            !(std::abs(onWindow->y()) < kFarthestPixel))
            return std::nullopt;
        left = std::min(left, onWindow->x());
        right = std::max(right, onWindow->x());
        bottom = std::min(bottom, onWindow->y());
        top = std::max(top, onWindow->y());
    }
    const int x0 = int(std::floor(left - kAreaMarginPixels));
    const int y0 = int(std::floor(bottom - kAreaMarginPixels));
    const int x1 = int(std::ceil(right + kAreaMarginPixels));
    const int y1 = int(std::ceil(top + kAreaMarginPixels));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

// A marker centred on (x, 0, z) of the current coordinates.
std::optional<QRect> markerArea(const WindowProjection &projection, float x, float z)
{
    const double h = scene::kMarkerSize / 2;
    return windowArea(
        projection,
        {{x - h, 0.0, z - h}, {x + h, 0.0, z - h}, {x - h, 0.0, z + h}, {x + h, 0.0, z + h}});
}

// The quad of drawQuad in the current coordinates.
std::optional<QRect> quadArea(const WindowProjection &projection)
{
    const double h = 0.5;
    return windowArea(projection, {{-h, -h, 0.0}, {h, -h, 0.0}, {-h, h, 0.0}, {h, h, 0.0}});
}

// Reads a station model and prepares it for smooth drawing. A file that
// cannot be read ends the process with the model library's message, which
// names the path.
GlmMesh *loadStationModel(const QString &path)
{
    glPushMatrix();
    GlmMesh *model = glmReadOBJ(QFile::encodeName(path).constData());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, scene::kModelCreaseAngleDeg);
    glPopMatrix();
    return model;
}

void drawStationModel(GlmMesh *model, GLuint texture, const scene::Station &station)
{
    const GLfloat scale = GLfloat(station.scale);
    glPushMatrix();
    glTranslatef(GLfloat(station.anchor.x), GLfloat(station.anchor.y), GLfloat(station.anchor.z));
    glScalef(scale, scale, scale);
    glColor4fv(scene::kModelColour);
    glBindTexture(GL_TEXTURE_2D, texture);
    glmDraw(model, scene::kModelDrawMode);
    glPopMatrix();
}

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
    : logic(logic), assetsFolder(assetsFolder), light(nullptr), screenList(nullptr),
      sweepList(nullptr), markerList(nullptr), noSignalList(nullptr), radarModel(nullptr),
      tableModel(nullptr), displayModel(nullptr),
      shortcutsWanted(qEnvironmentVariable(kShortcutsVariable) != QLatin1String("0"))
{
}

GLWidget::~GLWidget()
{
    // The light and the lists belong to this widget's context, which need not
    // be current when a window tears down its children.
    if ((light != nullptr || screenList != nullptr || sweepList != nullptr ||
         markerList != nullptr || noSignalList != nullptr) &&
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
    delete noSignalList;
    noSignalList = nullptr;
    freeModels();
    sceneCache.reset();
    sweepFootprint.reset();
}

void GLWidget::freeModels()
{
    for (GlmMesh **model : {&radarModel, &displayModel, &tableModel}) {
        if (*model != nullptr)
            glmFree(*model);
        *model = nullptr;
    }
}

QSize GLWidget::sizeHint() const
{
    return kPreferredSize;
}

QSize GLWidget::minimumSizeHint() const
{
    return kSmallestSize;
}

void GLWidget::setSignalLost(bool lost)
{
    if (lost && !signalLost)
        frozenBeam = logic->beamAngle();
    signalLost = lost;
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
    loadModels();
    setMaterial();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (shortcutsWanted) {
        sceneCache = SceneCache::create();
        glBindTexture(GL_TEXTURE_2D, sweepTexture);
        sweepFootprint = SweepFootprint::ofBoundTexture();
    }
}

// Without an assets folder the path stays relative, as the model library's
// messages have always named it.
QString GLWidget::assetPath(const char *folder, const char *file) const
{
    const QString relative = QLatin1String(folder) + QLatin1String(file);
    return assetsFolder.isEmpty() ? relative : QDir(assetsFolder).filePath(relative);
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
}

GLuint GLWidget::loadTexture(const char *file)
{
    const QString path = assetPath(scene::kTextureFolder, file);
    const QPixmap pixmap(path);
    // A missing image still gets a name and draws blank; say why.
    if (pixmap.isNull())
        printClientMessage(QStringLiteral("cannot read the texture ") + path);
    return bindTexture(pixmap, GL_TEXTURE_2D, GL_RGBA);
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

void GLWidget::buildNoSignalList()
{
    noSignalTexture = loadTexture(scene::kNoSignalTexture);
    noSignalList = new DisplayList;
    noSignalList->begin();
    glBindTexture(GL_TEXTURE_2D, noSignalTexture);
    drawQuad();
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

void GLWidget::loadModels()
{
    radarModel = loadStationModel(assetPath(scene::kModelFolder, scene::kRadarUnit.modelFile));
    tableModel = loadStationModel(assetPath(scene::kModelFolder, scene::kTable.modelFile));
    displayModel = loadStationModel(assetPath(scene::kModelFolder, scene::kDisplay.modelFile));
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
    viewSize = QSize(width, height);
    drawnAtViewSize = false;
    if (sceneCache)
        sceneCache->forget();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height (a collapsed layout) would make the aspect ratio infinite
    // or NaN and poison the projection; treat it as one pixel.
    const double aspect = static_cast<double>(width) / (height > 0 ? height : 1);
    gluPerspective(scene::kFieldOfViewYDeg, aspect, scene::kNearPlane, scene::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

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
    if (sceneCacheHolds())
        restoreFixedScene();
    else
        drawFixedScene();
    const QRect sweepArea = drawSweep();
    const QRect markersArea = drawHits();
    lastDrawnArea = sweepArea | markersArea | (signalLost ? drawNoSignalMark() : QRect());
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    light->disable();
    if (sceneCache)
        sceneCache->finishFrame();
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
}

void GLWidget::drawStationAndScreen()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setCamera();
    light->apply();
    drawModels();
    glEnable(GL_BLEND);
    drawScreen();
}

// The kept pixels where the last frame drew over them, and the state that
// drawing them would have left for the sweep and the markers: camera, light,
// blending, the colour of the models and the screen's texture.
void GLWidget::restoreFixedScene()
{
    sceneCache->restore(lastDrawnArea);
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

void GLWidget::drawModels()
{
    drawStationModel(tableModel, tableTexture, scene::kTable);
    drawStationModel(radarModel, radarTexture, scene::kRadarUnit);
    drawStationModel(displayModel, displayTexture, scene::kDisplay);
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
    const float angle = static_cast<float>(signalLost ? frozenBeam : logic->beamAngle());
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
    const auto bands = sweepFootprint ? sweepFootprint->bands() : std::nullopt;
    if (!bands) {
        sweepList->call();
        return wholeView();
    }
    QRect area;
    glEnable(GL_SCISSOR_TEST);
    for (const QRect &band : *bands) {
        glScissor(band.x(), band.y(), band.width(), band.height());
        sweepList->call();
        area |= band;
    }
    glDisable(GL_SCISSOR_TEST);
    return area;
}

QRect GLWidget::drawHits()
{
    // A hit's x runs along the scene's x axis and its y along the scene's z
    // axis, both from the screen centre.
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kMarkerHeight),
                 GLfloat(scene::kScreenCentreZ));
    const GLfloat size = GLfloat(scene::kMarkerSize);
    for (const Hit &hit : *logic->hits()) {
        glPushMatrix();
        glTranslatef(hit.x, 0.0f, hit.y);
        glScalef(size, size, size);
        glColor4f(1.0f, 1.0f, 1.0f, kAlphaPerSecondOfLife * hit.life);
        markerList->call();
        glPopMatrix();
    }
    const QRect area = markersArea();
    glPopMatrix();
    return area;
}

// The window area of the markers, with the current coordinates centred on the
// screen at the markers' height.
QRect GLWidget::markersArea() const
{
    if (logic->hits()->empty())
        return QRect();
    const WindowProjection projection = WindowProjection::current();
    QRect area;
    for (const Hit &hit : *logic->hits()) {
        const auto marker = markerArea(projection, hit.x, hit.y);
        if (!marker)
            return wholeView();
        area |= *marker;
    }
    return area;
}

// Flat on the screen's centre, above the markers, opaque where its texture is,
// turned as the screen's own texture is; the window area it drew in.
QRect GLWidget::drawNoSignalMark()
{
    if (noSignalList == nullptr)
        buildNoSignalList();
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kNoSignalHeight),
                 GLfloat(scene::kScreenCentreZ));
    layFlat();
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glScalef(GLfloat(scene::kNoSignalWidth), GLfloat(scene::kNoSignalDepth), 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    noSignalList->call();
    const auto area = quadArea(WindowProjection::current());
    glPopMatrix();
    return area ? *area : wholeView();
}
