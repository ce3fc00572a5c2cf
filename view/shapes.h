#pragma once

#include <GL/gl.h>

// Textured primitive shapes in immediate mode, centred at the origin, sizes in
// model units. They bind no texture and set no colour, so they draw with
// whatever is current, and they can be recorded into display lists.
// The radar view draws only drawQuad; the other shapes have no user today.

// Unit square in the z = 0 plane facing +z, its corners kQuadHalfSide from the
// centre along x and y; s grows from +x to -x, t from +y to -y.
constexpr GLfloat kQuadHalfSide = 0.5f;
void drawQuad();

// Filled disk of radius 0.5 in the z = 0 plane, facing +z.
void drawDisk(int slices);

// Cube of edge 1, every face facing out and carrying the whole texture.
void drawCube();

// Sphere of radius 0.5; slices also gives the number of stacks.
void drawSphere(int slices);

// Closed cone along z: base of radius 0.5 at z = -0.5 closed by a disk facing
// -z, apex at z = +0.5; slices also gives the number of stacks.
void drawCone(int slices);

// Fills out (column-major, ready for glMultMatrixf) with the matrix that
// flattens geometry onto the plane through point with the given normal, as
// seen from light (x, y, z, w; w = 0 for a directional light).
void shadowMatrix(GLfloat out[16], const GLfloat normal[3], const GLfloat point[3],
                  const GLfloat light[4]);
