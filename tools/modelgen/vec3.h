#pragma once

#include "scenelayout.h"

// A point or direction in scene units (x right, y up, z towards the viewer),
// the scene layout's own point type.
using Vec3 = scene::Point;

inline Vec3 operator+(const Vec3 &a, const Vec3 &b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3 &a, const Vec3 &b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(const Vec3 &a, double f)
{
    return {a.x * f, a.y * f, a.z * f};
}

inline Vec3 cross(const Vec3 &a, const Vec3 &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double dot(const Vec3 &a, const Vec3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A texture coordinate: s to the right, t upwards, 0..1 over the image.
struct TexCoord {
    double s = 0.0;
    double t = 0.0;
};

// A rectangle of a texture image that one kind of surface is mapped into.
struct AtlasRegion {
    double s0 = 0.0;
    double t0 = 0.0;
    double s1 = 1.0;
    double t1 = 1.0;
};
