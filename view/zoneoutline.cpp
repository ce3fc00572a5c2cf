#include "zoneoutline.h"

#include "guardzone.h"
#include "scenelayout.h"
#include "wirescene.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kRadiansPerDegree = M_PI / 180.0;
// Between a zone's outline and its number's ink, scene units.
constexpr double kNumberGap = 0.04;
// The whole circle has no middle: its number goes north-east of it.
constexpr double kWholeCircleNumberDeg = 45.0;

// The point at bearing degrees and zone distance d: bearings point along
// (sin, -cos), 0 toward the far edge, growing clockwise seen from above.
OutlinePoint pointAt(double degrees, double distance)
{
    const double radius = distance * scene::kScenePerZoneDistance;
    const double radians = degrees * kRadiansPerDegree;
    return {radius * std::sin(radians), -radius * std::cos(radians)};
}

// Points from bearing start through span degrees clockwise, both ends included.
void appendArc(OutlinePath &path, double start, double span, double distance)
{
    const int pieces = std::max(1, int(std::ceil(std::fabs(span) / kArcStepDeg)));
    for (int i = 0; i <= pieces; ++i)
        path.push_back(pointAt(start + span * i / pieces, distance));
}

OutlinePath circle(double distance)
{
    OutlinePath path;
    appendArc(path, 0.0, kFullTurnDeg, distance);
    return path;
}

} // namespace

std::vector<OutlinePath> zoneOutline(const GuardZone &zone)
{
    if (zone.isWholeCircle()) {
        std::vector<OutlinePath> paths{circle(zone.outer)};
        if (zone.inner > 0.0)
            paths.push_back(circle(zone.inner));
        return paths;
    }
    const double span = zone.span();
    OutlinePath path;
    appendArc(path, zone.from, span, zone.outer);
    if (zone.inner > 0.0)
        appendArc(path, zone.to, -span, zone.inner);
    else
        path.push_back(pointAt(0.0, 0.0));
    path.push_back(path.front());
    return {path};
}

OutlinePoint zoneNumberPlace(const GuardZone &zone, double reach, double limit)
{
    const double middle =
        zone.isWholeCircle() ? kWholeCircleNumberDeg : zone.from + zone.span() / 2;
    const double outer = zone.outer * scene::kScenePerZoneDistance;
    const double inner = zone.inner * scene::kScenePerZoneDistance;
    const double beyond = outer + kNumberGap + reach;
    if (beyond + reach <= limit)
        return pointAt(middle, beyond / scene::kScenePerZoneDistance);
    if (inner >= 2 * reach + kNumberGap)
        return pointAt(middle, (inner - kNumberGap - reach) / scene::kScenePerZoneDistance);
    const double across = (inner + outer) / 2;
    if (zone.isWholeCircle() || across <= reach + kNumberGap)
        return pointAt(middle, std::min(beyond, limit - reach) / scene::kScenePerZoneDistance);
    const double before = std::asin((reach + kNumberGap) / across) / kRadiansPerDegree;
    return pointAt(zone.from - before, across / scene::kScenePerZoneDistance);
}
