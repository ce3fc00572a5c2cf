#include "guardzone.h"

#include "wirescene.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace
{

constexpr double kCentre = 0.5; // wire coordinate of the screen centre

} // namespace

bool GuardZone::isWholeCircle() const
{
    return from == 0.0 && to == kFullTurnDeg;
}

double GuardZone::span() const
{
    if (isWholeCircle())
        return kFullTurnDeg;
    return from < to ? to - from : to - from + kFullTurnDeg;
}

double GuardZone::turnStart() const
{
    return isWholeCircle() ? 0.0 : std::fmod(to, kFullTurnDeg);
}

double GuardZone::passEnd() const
{
    return std::fmod(turnStart() + kBeamHalfWidthDeg, kFullTurnDeg);
}

bool GuardZone::contains(double printedBearing, double printedDistance) const
{
    return coversBearing(printedBearing) && printedDistance >= inner && printedDistance <= outer;
}

// A bearing of 360 is tested as 0, and 0 also as 360, so that a zone ending
// at 360 holds a target printed at 0 and one starting at 0 a target printed
// at 360.
bool GuardZone::coversBearing(double printedBearing) const
{
    const auto inSector = [this](double bearing) {
        return from <= to ? bearing >= from && bearing <= to : bearing >= from || bearing <= to;
    };
    const double folded =
        printedBearing >= kFullTurnDeg ? printedBearing - kFullTurnDeg : printedBearing;
    return inSector(folded) || (folded == 0.0 && inSector(kFullTurnDeg));
}

double zoneDistance(float x, float y)
{
    const double dx = double(x) - kCentre;
    const double dy = double(y) - kCentre;
    return kZoneDistanceScale * std::sqrt(dx * dx + dy * dy);
}

// Through a stream with its default format, as the lines are written: the
// value compared is the value of the very text a line shows. Read back
// without the C library's locale, which the toolkit sets from the user's and
// which may want a decimal comma.
PrintedNumber printed(double value)
{
    std::ostringstream stream;
    stream << value;
    PrintedNumber number{stream.str(), value};
    const char *text = number.text.c_str();
    std::from_chars(text, text + number.text.size(), number.value);
    return number;
}
