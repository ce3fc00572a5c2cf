#include "light.h"

#include <algorithm>

namespace
{

// The numbers in use, ascending; only the first lightCount entries count.
GLenum lightNumbers[Light::kMaxLights];
int lightCount = 0;

const GLenum kHighestGuaranteedLight = GL_LIGHT0 + Light::kMaxLights - 1;

// One above the highest number in use, or GL_LIGHT0 when none is.
GLenum aboveHighest()
{
    GLenum number = GL_LIGHT0;
    for (int i = 0; i < lightCount; ++i) {
        if (lightNumbers[i] >= number)
            number = lightNumbers[i] + 1;
    }
    return number;
}

// The lowest number in GL_LIGHT0..GL_LIGHT7 not in use. There is always one,
// since fewer than kMaxLights are registered when this is asked.
GLenum lowestFree()
{
    GLenum number = GL_LIGHT0;
    for (int i = 0; i < lightCount && lightNumbers[i] == number; ++i)
        ++number;
    return number;
}

} // namespace

GLenum Light::claimNumber()
{
    if (lightCount > kMaxLights - 1)
        throw new LightError;
    // Counting on from the highest number keeps a freed number idle for a
    // while, but must never hand out a number OpenGL may not have.
    GLenum claimed = aboveHighest();
    if (claimed > kHighestGuaranteedLight)
        claimed = lowestFree();
    // Insert in order so that the registry stays ascending.
    GLenum *end = lightNumbers + lightCount;
    GLenum *slot = std::upper_bound(lightNumbers, end, claimed);
    std::copy_backward(slot, end, end + 1);
    *slot = claimed;
    ++lightCount;
    return claimed;
}

void Light::releaseNumber(GLenum released)
{
    GLenum *end = lightNumbers + lightCount;
    GLenum *found = std::find(lightNumbers, end, released);
    if (found == end)
        return;
    std::copy(found + 1, end, found);
    --lightCount;
}

int Light::registeredCount()
{
    return lightCount;
}

GLenum Light::registeredNumber(int index)
{
    return lightNumbers[index];
}

Light::Light(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4])
    : number(claimNumber())
{
    glLightfv(number, GL_AMBIENT, ambient);
    glLightfv(number, GL_DIFFUSE, diffuse);
    glLightfv(number, GL_SPECULAR, specular);
}

Light::~Light()
{
    releaseNumber(number);
    glDisable(number);
}

void Light::enable()
{
    glEnable(number);
}

void Light::disable()
{
    glDisable(number);
}

void Light::setAttenuation(GLfloat constant, GLfloat linear, GLfloat quadratic)
{
    glLightfv(number, GL_CONSTANT_ATTENUATION, &constant);
    glLightfv(number, GL_LINEAR_ATTENUATION, &linear);
    glLightfv(number, GL_QUADRATIC_ATTENUATION, &quadratic);
}

DirectionalLight::DirectionalLight(const GLfloat ambient[4], const GLfloat diffuse[4],
                                   const GLfloat specular[4], const GLfloat towards[3])
    : Light(ambient, diffuse, specular), position{towards[0], towards[1], towards[2], 0.0f}
{
}

void DirectionalLight::apply()
{
    glLightfv(number, GL_POSITION, position);
    enable();
}

PositionalLight::PositionalLight(const GLfloat ambient[4], const GLfloat diffuse[4],
                                 const GLfloat specular[4], const GLfloat point[3])
    : Light(ambient, diffuse, specular), position{point[0], point[1], point[2], 1.0f}
{
}

void PositionalLight::apply()
{
    glLightfv(number, GL_POSITION, position);
    enable();
}

SpotLight::SpotLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat specular[4],
                     const GLfloat point[3], const GLfloat towards[3], GLfloat exponent,
                     GLfloat cutoff)
    : PositionalLight(ambient, diffuse, specular, point), direction{towards[0], towards[1],
                                                                    towards[2]}
{
    glLightf(number, GL_SPOT_CUTOFF, cutoff);
    glLightf(number, GL_SPOT_EXPONENT, exponent);
}

void SpotLight::apply()
{
    glLightfv(number, GL_SPOT_DIRECTION, direction);
    PositionalLight::apply();
}
