#include "shapes.h"

#include <GL/glu.h>

namespace
{

const GLdouble kShapeRadius = 0.5;
const GLdouble kConeHeight = 1.0;

// A quadric set up for lit, textured shapes, or null when GLU is out of memory.
GLUquadric *newShapeQuadric()
{
    GLUquadric *quadric = gluNewQuadric();
    if (quadric != nullptr) {
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
    }
    return quadric;
}

// One cube face: turned into place, then pushed out to the surface.
void drawCubeFace(GLfloat angle, GLfloat axisX, GLfloat axisY)
{
    glPushMatrix();
    if (angle != 0.0f)
        glRotatef(angle, axisX, axisY, 0.0f);
    glTranslatef(0.0f, 0.0f, 0.5f);
    drawQuad();
    glPopMatrix();
}

} // namespace

void drawQuad()
{
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    const GLfloat h = kQuadHalfSide;
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(h, h, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-h, h, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(-h, -h, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(h, -h, 0.0f);
    glEnd();
}

void drawDisk(int slices)
{
    GLUquadric *quadric = newShapeQuadric();
    if (quadric == nullptr)
        return;
    gluDisk(quadric, 0.0, kShapeRadius, slices, 1);
    gluDeleteQuadric(quadric);
}

void drawCube()
{
    drawCubeFace(0.0f, 0.0f, 0.0f);   // front, +z
    drawCubeFace(90.0f, 0.0f, 1.0f);  // right, +x
    drawCubeFace(180.0f, 0.0f, 1.0f); // back, -z
    drawCubeFace(270.0f, 0.0f, 1.0f); // left, -x
    drawCubeFace(-90.0f, 1.0f, 0.0f); // top, +y
    drawCubeFace(90.0f, 1.0f, 0.0f);  // bottom, -y
}

void drawSphere(int slices)
{
    GLUquadric *quadric = newShapeQuadric();
    if (quadric == nullptr)
        return;
    gluSphere(quadric, kShapeRadius, slices, slices);
    gluDeleteQuadric(quadric);
}

void drawCone(int slices)
{
    GLUquadric *quadric = newShapeQuadric();
    if (quadric == nullptr)
        return;
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -0.5f);
    gluCylinder(quadric, kShapeRadius, 0.0, kConeHeight, slices, slices);
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
    drawDisk(slices);
    glPopMatrix();
    gluDeleteQuadric(quadric);
}

void shadowMatrix(GLfloat out[16], const GLfloat normal[3], const GLfloat point[3],
                  const GLfloat light[4])
{
    const GLfloat d = -(normal[0] * point[0] + normal[1] * point[1] + normal[2] * point[2]);
    const GLfloat plane[4] = {normal[0], normal[1], normal[2], d};
    const GLfloat dot =
        plane[0] * light[0] + plane[1] * light[1] + plane[2] * light[2] + plane[3] * light[3];
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col)
            out[col * 4 + row] = (row == col ? dot : 0.0f) - light[row] * plane[col];
    }
}
