#pragma once

#include "vec3.h"

// The fixed scene around the radar screen, in scene units (y up). The view
// reads each station model, fits it into the cube -1..1 and draws it with
// glTranslatef(anchor) and glScalef(scale): a fitted coordinate c lands at
// anchor + scale * c.
struct ModelPlacement {
    const char *fileName; // OBJ file under mdl/
    Vec3 anchor;          // scene point the fitted model's centre lands on
    double scale;         // scene units per fitted unit; the largest size is 2 * scale
};

constexpr ModelPlacement kTablePlacement{"radartisch.obj", {0.0, 0.8, -0.32}, 11.0};
constexpr ModelPlacement kRadarUnitPlacement{"radar2.obj", {0.0, 1.1, 0.0}, 3.0};
constexpr ModelPlacement kDisplayPlacement{"radardisplay.obj", {0.01, 1.388, 2.505}, 3.01};

// The radar screen: a square lying face up, and the layers drawn on it.
constexpr double kScreenHeight = 1.45;
constexpr double kSweepHeight = 1.451;
constexpr double kMarkerHeight = 1.452;
constexpr double kScreenMinX = -2.5;
constexpr double kScreenMaxX = 2.5;
constexpr double kScreenMinZ = -3.0;
constexpr double kScreenMaxZ = 2.0;

// The fixed camera: gluLookAt from kEye towards the origin, y up, 45 degrees
// vertical field of view.
constexpr Vec3 kEye{2.5, 6.0, 5.3};
constexpr double kFieldOfViewYDeg = 45.0;
