// Renders the station models from the client's fixed camera into a PNG, for
// judging a design without running the client and a server:
//   modelpreview <source folder> <output.png> [sweep angle in degrees]
// Models, textures and transforms are those the view uses; the screen and
// the sweep are drawn on top as the view draws them. Needs a display (Xvfb).
#include "glm.h"
#include "stationlayout.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

const int ImageWidth = 1280;
const int ImageHeight = 1024;
const double NearPlane = 0.1;
const double FarPlane = 100.0;
const float ModelAlpha = 0.7f;
const double ScreenSize = 5.0;

GLuint loadTexture(const std::string &path)
{
    const QImage image = QImage(QString::fromStdString(path))
                             .convertToFormat(QImage::Format_RGBA8888)
                             .mirrored(); // bottom row first, as OpenGL counts t
    if (image.isNull())
        std::fprintf(stderr, "modelpreview: cannot read %s\n", path.c_str());
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, image.width(), image.height(), GL_RGBA,
                      GL_UNSIGNED_BYTE, image.constBits());
    return name;
}

void drawModel(const std::string &source, const ModelPlacement &place, const char *texture)
{
    GlmMesh *model = glmReadOBJ((source + "/mdl/" + place.fileName).c_str());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, 90.0f);
    const GLuint name = loadTexture(source + "/textures/" + texture);
    glPushMatrix();
    glTranslated(place.anchor.x, place.anchor.y, place.anchor.z);
    glScaled(place.scale, place.scale, place.scale);
    glColor4f(1.0f, 1.0f, 1.0f, ModelAlpha);
    glmDraw(model, GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED);
    glPopMatrix();
    glDeleteTextures(1, &name);
    glmFree(model);
}

// The screen-sized textured square lying face up over the screen's centre
// at height, turned by angle degrees clockwise seen from above; texture
// corners as the view's screen and sweep lists place them.
void drawLevelSquare(double height, double angle, GLuint texture)
{
    const double half = ScreenSize * 0.5;
    const double centreZ = (kScreenMinZ + kScreenMaxZ) * 0.5;
    glPushMatrix();
    glTranslated(0.0, height, centreZ);
    glRotated(angle, 0.0, -1.0, 0.0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex3d(-half, 0.0, half);
    glTexCoord2d(1, 0);
    glVertex3d(half, 0.0, half);
    glTexCoord2d(1, 1);
    glVertex3d(half, 0.0, -half);
    glTexCoord2d(0, 1);
    glVertex3d(-half, 0.0, -half);
    glEnd();
    glPopMatrix();
}

void drawScene(const std::string &source, double sweepAngle)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, ImageWidth, ImageHeight);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(kFieldOfViewYDeg, double(ImageWidth) / ImageHeight, NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(kEye.x, kEye.y, kEye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    drawModel(source, kTablePlacement, "radartischr2thell.png");
    drawModel(source, kRadarUnitPlacement, "radarr2t2hell.png");
    drawModel(source, kDisplayPlacement, "radardisplay.png");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLuint screen = loadTexture(source + "/textures/radarscheibe.png");
    const GLuint sweep = loadTexture(source + "/textures/radgreen.png");
    drawLevelSquare(kScreenHeight, 0.0, screen);
    drawLevelSquare(kSweepHeight, sweepAngle, sweep);
    glDeleteTextures(1, &screen);
    glDeleteTextures(1, &sweep);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <source folder> <output.png> [sweep angle]\n", argv[0]);
        return 2;
    }
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface)) {
        std::fprintf(stderr, "modelpreview: no OpenGL context\n");
        return 1;
    }
    QOpenGLFramebufferObject framebuffer(ImageWidth, ImageHeight,
                                         QOpenGLFramebufferObject::CombinedDepthStencil);
    framebuffer.bind();
    drawScene(argv[1], argc > 3 ? std::atof(argv[3]) : 0.0);
    if (!framebuffer.toImage().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "modelpreview: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
