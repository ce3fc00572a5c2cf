#include "glwidget.h"

#include "displaylist.h"
#include "glm.h"
#include "light.h"
#include "logic.h"
#include "scenecache.h"
#include "shapes.h"

#include <GL/glu.h>
#include <QPixmap>

#include <iostream>

namespace
{

const QSize PreferredSize(400, 400);
const QSize SmallestSize(50, 50);

// Set to 0, the view draws the whole scene every frame instead of keeping its
// fixed part: for comparing the two and for drivers that mishandle the cache.
const char *const SceneCacheVariable = "RADAR_SCENE_CACHE";

// Projection: vertical field of view in degrees, near and far planes.
const GLdouble FieldOfView = 45.0;
const GLdouble NearPlane = 0.1;
const GLdouble FarPlane = 100.0;

// Camera, fixed for the life of the view.
const GLdouble Eye[3] = {2.5, 6.0, 5.3};
const GLdouble LookAt[3] = {0.0, 0.0, 0.0};
const GLdouble Up[3] = {0.0, 1.0, 0.0};

// The scene's one light, placed high above the station.
const GLfloat LightAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat LightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat LightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat LightPosition[3] = {-1.0f, 15.0f, 1.0f};

// The front material; the scene is drawn unlit, so it shades nothing today.
const GLfloat MaterialShininess = 20.0f;
const GLfloat MaterialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat MaterialAmbient[4] = {1.0f, 1.0f, 0.0f, 1.0f};
const GLfloat MaterialDiffuse[4] = {1.0f, 1.0f, 0.0f, 1.0f};

// The radar screen: centre and edge length. The sweep and the markers lie a
// hair above it, so that the depth test keeps them in front.
const GLfloat ScreenCentreX = 0.0f;
const GLfloat ScreenHeight = 1.45f;
const GLfloat ScreenCentreZ = -0.5f;
const GLfloat ScreenSize = 5.0f;
const GLfloat SweepHeight = 1.451f;
const GLfloat MarkerHeight = 1.452f;
const GLfloat MarkerSize = 0.3f;
// A hit's marker alpha is this times its remaining life in seconds, so a new
// hit (life 2) is opaque and fades out linearly.
const GLfloat AlphaPerSecondOfLife = 0.5f;

const char *const RadarTexturePath = "textures/radarr2t2hell.png";
const char *const TableTexturePath = "textures/radartischr2thell.png";
const char *const ScreenTexturePath = "textures/radarscheibe.png";
const char *const SweepTexturePath = "textures/radgreen.png";
const char *const DisplayTexturePath = "textures/radardisplay.png";
const char *const MarkerTexturePath = "textures/person.png";

// The station models: where each stands, and its scale on top of the fit to
// the unit cube that loading gives it. They are drawn opaque, but the colour
// they leave current also tints the screen and the sweep drawn after them.
struct StationPlacement {
    GLfloat x, y, z;
    GLfloat scale;
};
const StationPlacement TablePlacement = {0.0f, 0.8f, -0.32f, 11.0f};
const StationPlacement RadarPlacement = {0.0f, 1.1f, 0.0f, 3.0f};
const StationPlacement DisplayPlacement = {0.01f, 1.388f, 2.505f, 3.01f};
const GLfloat ModelColour[4] = {1.0f, 1.0f, 1.0f, 0.7f};
const unsigned ModelDrawMode = GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED;
// Facets less than this many degrees apart are smoothed together.
const float ModelCreaseAngle = 90.0f;

const char *const RadarModelPath = "mdl/radar2.obj";
const char *const TableModelPath = "mdl/radartisch.obj";
const char *const DisplayModelPath = "mdl/radardisplay.obj";

// Reads a station model and prepares it for smooth drawing. A file that
// cannot be read ends the process with the model library's message.
GlmMesh *loadStationModel(const char *path)
{
    glPushMatrix();
    GlmMesh *model = glmReadOBJ(path);
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, ModelCreaseAngle);
    glPopMatrix();
    return model;
}

void drawStationModel(GlmMesh *model, GLuint texture, const StationPlacement &placement)
{
    glPushMatrix();
    glTranslatef(placement.x, placement.y, placement.z);
    glScalef(placement.scale, placement.scale, placement.scale);
    glColor4fv(ModelColour);
    glBindTexture(GL_TEXTURE_2D, texture);
    glmDraw(model, ModelDrawMode);
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
    layFlat();
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glScalef(ScreenSize, ScreenSize, ScreenSize);
}

} // namespace

GLWidget::GLWidget(Logic *logic)
    : QGLWidget(nullptr, nullptr, Qt::WindowFlags()), logic(logic), light(nullptr),
      screenList(nullptr), sweepList(nullptr), markerList(nullptr), radarModel(nullptr),
      tableModel(nullptr), displayModel(nullptr),
      sceneCacheWanted(qEnvironmentVariable(SceneCacheVariable) != QLatin1String("0"))
{
}

GLWidget::~GLWidget()
{
    // The light and the lists belong to this widget's context, which need not
    // be current when a window tears down its children.
    if ((light != nullptr || screenList != nullptr || sweepList != nullptr ||
         markerList != nullptr) &&
        context()->isValid())
        makeCurrent();
    delete light;
    delete screenList;
    delete sweepList;
    delete markerList;
    freeModels();
    sceneCache.reset();
}

void GLWidget::freeModels()
{
    for (GlmMesh *model : {radarModel, displayModel, tableModel})
        if (model != nullptr)
            glmFree(model);
}

QSize GLWidget::sizeHint() const
{
    return PreferredSize;
}

QSize GLWidget::minimumSizeHint() const
{
    return SmallestSize;
}

void GLWidget::initializeGL()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    light = new PositionalLight(LightAmbient, LightDiffuse, LightSpecular, LightPosition);
    loadTextures();
    buildMarkerList();
    buildScreenList();
    buildSweepList();
    loadModels();
    setMaterial();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    sceneCache = sceneCacheWanted ? SceneCache::create() : nullptr;
}

void GLWidget::loadTextures()
{
    const struct {
        const char *path;
        GLuint *name;
    } textures[] = {
        {RadarTexturePath, &radarTexture},     {TableTexturePath, &tableTexture},
        {ScreenTexturePath, &screenTexture},   {SweepTexturePath, &sweepTexture},
        {DisplayTexturePath, &displayTexture}, {MarkerTexturePath, &markerTexture},
    };
    for (const auto &texture : textures) {
        const QPixmap pixmap(QString::fromLatin1(texture.path));
        // A missing image still gets a name and draws blank; say why.
        if (pixmap.isNull())
            std::cerr << "GLWidget: cannot read the texture " << texture.path << std::endl;
        *texture.name = bindTexture(pixmap, GL_TEXTURE_2D, GL_RGBA);
    }
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
    glTranslatef(ScreenCentreX, ScreenHeight, ScreenCentreZ);
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

void GLWidget::loadModels()
{
    radarModel = loadStationModel(RadarModelPath);
    tableModel = loadStationModel(TableModelPath);
    displayModel = loadStationModel(DisplayModelPath);
}

void GLWidget::setMaterial()
{
    glMaterialfv(GL_FRONT, GL_SHININESS, &MaterialShininess);
    glMaterialfv(GL_FRONT, GL_SPECULAR, MaterialSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, MaterialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, MaterialDiffuse);
}

void GLWidget::resizeGL(int width, int height)
{
    viewSize = QSize(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height (a collapsed layout) would make the aspect ratio infinite
    // or NaN and poison the projection; treat it as one pixel.
    const double aspect = static_cast<double>(width) / (height > 0 ? height : 1);
    gluPerspective(FieldOfView, aspect, NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
}

bool GLWidget::keepsFixedScene()
{
    return sceneCache && sceneCache->holds(viewSize);
}

void GLWidget::paintGL()
{
    if (keepsFixedScene())
        restoreFixedScene();
    else
        drawFixedScene();
    drawSweep();
    drawHits();
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    light->disable();
}

// The part of the frame before the sweep, which only a new size changes: drawn
// whole, and kept for the frames that follow when the view has a cache.
void GLWidget::drawFixedScene()
{
    drawStationAndScreen();
    if (sceneCache && !sceneCache->store(viewSize)) {
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

// The kept pixels, and the state that drawing them would have left for the
// sweep and the markers: camera, light, blending, the colour of the models and
// the screen's texture.
void GLWidget::restoreFixedScene()
{
    sceneCache->restore();
    setCamera();
    light->apply();
    glColor4fv(ModelColour);
    glBindTexture(GL_TEXTURE_2D, screenTexture);
    glEnable(GL_BLEND);
}

void GLWidget::setCamera()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(Eye[0], Eye[1], Eye[2], LookAt[0], LookAt[1], LookAt[2], Up[0], Up[1], Up[2]);
}

void GLWidget::drawModels()
{
    drawStationModel(tableModel, tableTexture, TablePlacement);
    drawStationModel(radarModel, radarTexture, RadarPlacement);
    drawStationModel(displayModel, displayTexture, DisplayPlacement);
}

void GLWidget::drawScreen()
{
    glPushMatrix();
    screenList->call();
    glPopMatrix();
}

void GLWidget::drawSweep()
{
    // A growing beam angle turns the sweep clockwise seen from above, the way
    // the logic's bearings grow.
    const float angle = static_cast<float>(logic->beamAngle());
    glPushMatrix();
    glTranslatef(ScreenCentreX, SweepHeight, ScreenCentreZ);
    glRotatef(angle, 0.0f, -1.0f, 0.0f);
    layScreenQuad();
    sweepList->call();
    glPopMatrix();
}

void GLWidget::drawHits()
{
    // A hit's x runs along the scene's x axis and its y along the scene's z
    // axis, both from the screen centre.
    glPushMatrix();
    glTranslatef(ScreenCentreX, MarkerHeight, ScreenCentreZ);
    for (const Hit &hit : *logic->hits()) {
        glPushMatrix();
        glTranslatef(hit.x, 0.0f, hit.y);
        glScalef(MarkerSize, MarkerSize, MarkerSize);
        glColor4f(1.0f, 1.0f, 1.0f, AlphaPerSecondOfLife * hit.life);
        markerList->call();
        glPopMatrix();
    }
    glPopMatrix();
}
