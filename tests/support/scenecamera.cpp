#include "scenecamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace
{

constexpr int kMatrixElements = 16;

void loadProjection(const QSize &size)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(scene::kFieldOfViewYDeg, double(size.width()) / size.height(), scene::kNearPlane,
                   scene::kFarPlane);
}

void loadCamera()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(scene::kEye.x, scene::kEye.y, scene::kEye.z, scene::kLookAt.x, scene::kLookAt.y,
              scene::kLookAt.z, scene::kUp.x, scene::kUp.y, scene::kUp.z);
}

} // namespace

void applySceneCamera(const QSize &size)
{
    glViewport(0, 0, size.width(), size.height());
    loadProjection(size);
    loadCamera();
}

QPointF imageOfScenePoint(const scene::Point &point, const QSize &size)
{
    GLdouble modelview[kMatrixElements], projection[kMatrixElements];
    const GLint viewport[4] = {0, 0, size.width(), size.height()};
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    loadProjection(size);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    loadCamera();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glPopMatrix();
    GLdouble windowX = 0, windowY = 0, windowZ = 0;
    gluProject(point.x, point.y, point.z, modelview, projection, viewport, &windowX, &windowY,
               &windowZ);
    return QPointF(windowX, size.height() - windowY);
}
