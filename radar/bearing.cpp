#include "bearing.h"

#include <cmath>

namespace
{

// The bearing factor is 180 / 3.14159, not 180 / pi: bearings printed and
// compared against the beam depend on it.
constexpr double kDegPerRad = 57.295827908797776;
constexpr float kHalfTurnDeg = 180.0f;
constexpr float kFullTurnDeg = 360.0f;
constexpr float kQuarterTurnDeg = 90.0f;
constexpr float kEighthTurnDeg = 45.0f;

// Coefficient of the quadratic arc tangent below; its error stays under
// 0.22 degrees on [0, 1].
constexpr float kRoughAtanBend = 15.642f; // 0.273 radians in degrees
// Margin that covers the rough bearing's error with room to spare.
constexpr double kRoughMarginDeg = 0.5;

// Arc tangent of r in [0, 1], in degrees, to within 0.22 degrees.
float roughAtanDeg(float r)
{
    return r * (kEighthTurnDeg + kRoughAtanBend * (1.0f - r));
}

// The bearing of (X, Y) to within kRoughMarginDeg, in [0, 360]; NaN when it
// cannot be told cheaply.
float roughBearingOf(float X, float Y)
{
    const float ax = std::fabs(X);
    const float ay = std::fabs(Y);
    // Angle from the -Y axis toward +X, folded into the first quadrant.
    float angle = ax <= ay ? roughAtanDeg(ax / ay) : kQuarterTurnDeg - roughAtanDeg(ay / ax);
    if (Y > 0.0f)
        angle = kHalfTurnDeg - angle;
    if (X < 0.0f)
        angle = kFullTurnDeg - angle;
    return angle;
}

} // namespace

float bearingOf(float X, float Y)
{
    const double ratio = double(X) / double(Y);
    float a = float(std::atan(ratio));
    a = float(a * kDegPerRad);
    if (X >= 0.0f && Y < 0.0f)
        return -a;
    if (Y >= 0.0f)
        return kHalfTurnDeg - a;
    return kFullTurnDeg - a;
}

bool bearingWithin(float X, float Y, double beam, double halfWidth, float *bearing)
{
    const float rough = roughBearingOf(X, Y);
    // Decided exactly: near north, where the exact bearing may lie on the other
    // side of the 0/360 seam and the comparison does not wrap, and on the x axis,
    // where the sign of a zero Y picks the half-turn.
    const bool ambiguous =
        Y == 0.0f || !(rough > kRoughMarginDeg && rough < kFullTurnDeg - kRoughMarginDeg);
    if (!ambiguous && std::fabs(double(rough) - beam) > halfWidth + kRoughMarginDeg)
        return false;
    *bearing = bearingOf(X, Y);
    return std::fabs(double(*bearing) - beam) <= halfWidth;
}
