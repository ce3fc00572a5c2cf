// Renders the station models from the client's fixed camera into a PNG, for
// judging a design without running the client and a server:
//   modelpreview <source folder> <output.png> [sweep angle in degrees]
// Models, textures and transforms are those the view uses; the screen and
// the sweep are drawn on top as the view draws them. Needs a display (Xvfb).
#include "glm.h"
#include "scenelayout.h"

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

const int kImageWidth = 1280;
const int kImageHeight = 1024;

std::string dataPath(const std::string &source, const char *folder, const char *file)
{
    return source + "/" + folder + file;
}

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

void drawModel(const std::string &source, const scene::Station &place)
{
    GlmMesh *model = glmReadOBJ(dataPath(source, scene::kModelFolder, place.modelFile).c_str());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, scene::kModelCreaseAngleDeg);
    const GLuint name = loadTexture(dataPath(source, scene::kTextureFolder, place.textureFile));
    glPushMatrix();
    glTranslated(place.anchor.x, place.anchor.y, place.anchor.z);
    glScaled(place.scale, place.scale, place.scale);
    glColor4fv(scene::kModelColour);
    glmDraw(model, scene::kModelDrawMode);
    glPopMatrix();
    glDeleteTextures(1, &name);
    glmFree(model);
}

// The screen-sized textured square lying face up over the screen's centre
// at height, turned by angle degrees clockwise seen from above; texture
// corners as the view's screen and sweep lists place them.
void drawLevelSquare(double height, double angle, GLuint texture)
{
    const double half = scene::kScreenSize * 0.5;
    glPushMatrix();
    glTranslated(scene::kScreenCentreX, height, scene::kScreenCentreZ);
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
    glViewport(0, 0, kImageWidth, kImageHeight);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(scene::kFieldOfViewYDeg, double(kImageWidth) / kImageHeight, scene::kNearPlane,
                   scene::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(scene::kEye.x, scene::kEye.y, scene::kEye.z, scene::kLookAt.x, scene::kLookAt.y,
              scene::kLookAt.z, scene::kUp.x, scene::kUp.y, scene::kUp.z);
    drawModel(source, scene::kTable);
    drawModel(source, scene::kRadarUnit);
    drawModel(source, scene::kDisplay);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLuint screen =
        loadTexture(dataPath(source, scene::kTextureFolder, scene::kScreenTexture));
    const GLuint sweep = loadTexture(dataPath(source, scene::kTextureFolder, scene::kSweepTexture));
    drawLevelSquare(scene::kScreenHeight, 0.0, screen);
    drawLevelSquare(scene::kSweepHeight, sweepAngle, sweep);
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
    QOpenGLFramebufferObject framebuffer(kImageWidth, kImageHeight,
                                         QOpenGLFramebufferObject::CombinedDepthStencil);
    framebuffer.bind();
    drawScene(argv[1], argc > 3 ? std::atof(argv[3]) : 0.0);
    if (!framebuffer.toImage().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "modelpreview: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
