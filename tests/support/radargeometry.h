#pragma once

#include "wirecodec.h"

#include <cmath>

// What the radar logic makes of a target, worked out here on its own so that
// tests and benchmarks can check the logic against it: where a wire coordinate
// lands on the screen, the bearing the beam finds it at, and the beam's pace.
namespace radargeometry
{

// A wire coordinate v (0..1 across the screen) lies kScenePerWireUnit * v -
// kSceneOffset scene units from the screen centre, along x or along depth.
constexpr float kScenePerWireUnit = 3.0f;
constexpr float kSceneOffset = 1.5f;

constexpr double kBeamSpeedDegPerSec = 80.0;
// A target within this many degrees of the beam is hit.
constexpr double kBeamHalfWidthDeg = 5.0;
constexpr double kFullTurnDeg = 360.0;
constexpr double kHalfTurnDeg = 180.0;

// In single precision, step by step, as the logic computes it: the bearings
// derived from it then match the logic's to the bit.
inline float sceneOfWire(float v)
{
    const float scaled = kScenePerWireUnit * v;
    return scaled - kSceneOffset;
}

inline double wireOfScene(double offset)
{
    return (offset + kSceneOffset) / kScenePerWireUnit;
}

// Degrees clockwise seen from above, from the screen's far edge (-y), in
// [0, 360), of the point x, y scene units from the screen centre.
inline double bearingOf(double x, double y)
{
    const double degrees = std::atan2(x, -y) * kHalfTurnDeg / M_PI;
    return degrees < 0.0 ? degrees + kFullTurnDeg : degrees;
}

// A target at the bearing (degrees), radius scene units from the centre.
inline wire::Record targetAt(double bearingDeg, double radius, quint16 value = 1)
{
    const double radians = bearingDeg * M_PI / kHalfTurnDeg;
    return wire::Record{float(wireOfScene(radius * std::sin(radians))),
                        float(wireOfScene(-radius * std::cos(radians))), value};
}

} // namespace radargeometry
