#pragma once

#include "lighterror.h"

#include <GL/gl.h>

// Owners of one fixed-function OpenGL light number each. A light claims its
// number from a process-wide registry when built, sends its colours at once,
// sends its position (and direction) on every apply, and gives the number back
// when destroyed. At most kMaxLights lights exist at a time; one more throws
// LightError*. All of it runs on the thread that owns the OpenGL context.
//
// Colours are arrays of four floats (red, green, blue, alpha); positions and
// directions are arrays of three floats in model coordinates. Arguments are
// copied or sent at once; the caller keeps the arrays.
//
// The radar view holds one PositionalLight but never enables lighting, so it
// shades nothing there; the other kinds and attenuation have no user today.
class Light
{
public:
    // The number of lights OpenGL guarantees, and so the registry's cap.
    static constexpr int kMaxLights = 8;

    Light(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4]);
    ~Light();
    Light(const Light &) = delete;
    Light &operator=(const Light &) = delete;

    void enable();
    void disable();
    void setAttenuation(GLfloat constant, GLfloat linear, GLfloat quadratic);

    GLenum lightNumber() const { return number; }

    // Registry view: how many numbers are taken, and the index-th of them in
    // ascending order (0 <= index < registeredCount()).
    static int registeredCount();
    static GLenum registeredNumber(int index);

protected:
    GLenum number; // GL_LIGHT0 + n, owned from construction to destruction

private:
    static GLenum claimNumber();
    static void releaseNumber(GLenum released);
};

// A light infinitely far away, shining along -direction.
class DirectionalLight : public Light
{
public:
    DirectionalLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4],
                     const GLfloat towards[3]);

    // Sends the direction under the current modelview matrix, then enables.
    void apply();

private:
    GLfloat position[4]; // (x, y, z, 0): w = 0 marks a direction
};

// A light at a point, shining every way.
class PositionalLight : public Light
{
public:
    PositionalLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4],
                    const GLfloat point[3]);

    // Sends the position under the current modelview matrix, then enables.
    // Call after the camera is set and before drawing.
    void apply();

private:
    GLfloat position[4]; // (x, y, z, 1): w = 1 marks a point
};

// A positional light limited to a cone. Cutoff (degrees, half the cone's
// opening) and exponent (focus) are sent once at construction.
class SpotLight : public PositionalLight
{
public:
    SpotLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4],
              const GLfloat point[3], const GLfloat towards[3], GLfloat exponent, GLfloat cutoff);

    // Sends the direction, then the position, then enables.
    void apply();

private:
    GLfloat direction[3];
};
