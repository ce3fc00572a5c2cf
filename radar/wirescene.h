#pragma once

// Where the wire's targets lie in the scene, and how the beam turns and how
// close it must come to hit one: the hit scan, the guard zones and the view
// share these, since a zone must decide on exactly the values that a hit line
// prints, and the view keys its blink to the beam.

constexpr double kFullTurnDeg = 360.0;
constexpr double kBeamSpeedDegPerSec = 80.0;
// A target is hit when its bearing is within this of the beam's.
constexpr double kBeamHalfWidthDeg = 5.0;

// A wire coordinate v in 0..1 becomes the scene offset 3v - 1.5, in single precision.
constexpr float kSceneScale = 3.0f;
constexpr float kSceneOffset = 1.5f;

inline float toScene(float v)
{
    const float scaled = kSceneScale * v;
    return scaled - kSceneOffset;
}

inline float fromScene(float s)
{
    return (s + kSceneOffset) / kSceneScale;
}

// Wire coordinates doubled are the guard zones' unit of distance, so that 1
// is the middle of a screen edge.
constexpr double kZoneDistanceScale = 2.0;
