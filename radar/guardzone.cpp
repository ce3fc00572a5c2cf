#include "guardzone.h"

#include "wirescene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kCentre = 0.5; // wire coordinate of the screen centre
// Room for any double in %g form: sign, digits, point, exponent.
constexpr int kPrintedChars = 32;

} // namespace

bool GuardZone::isWholeCircle() const
{
    return from == 0.0 && to == kFullTurnDeg;
}

double GuardZone::passEnd() const
{
    const double end = (isWholeCircle() ? 0.0 : to) + kBeamHalfWidthDeg;
    return std::fmod(end, kFullTurnDeg);
}

bool GuardZone::contains(double printedBearing, double printedDistance) const
{
    const bool inSector = from <= to ? printedBearing >= from && printedBearing <= to
                                     : printedBearing >= from || printedBearing <= to;
    return inSector && printedDistance >= inner && printedDistance <= outer;
}

double zoneDistance(float x, float y)
{
    const double dx = double(x) - kCentre;
    const double dy = double(y) - kCentre;
    return kZoneDistanceScale * std::sqrt(dx * dx + dy * dy);
}

// The stream output of a double, by default, is printf's %g with six digits.
double asPrinted(double value)
{
    char text[kPrintedChars];
    std::snprintf(text, sizeof text, "%g", value);
    return std::strtod(text, nullptr);
}
