#pragma once

#include <vector>

struct GuardZone;

// A point of a guard zone's outline in the radar screen's plane, in scene
// units from the screen centre: x along the scene's x axis, z along its depth
// axis, as the view lays out hits.
struct OutlinePoint {
    double x;
    double z;
};
using OutlinePath = std::vector<OutlinePoint>;

// The zone's outline as paths to draw as line strips: a sector's closed
// border (outer arc, the line in to the inner arc or the centre, the inner
// arc back, the line out), or for the whole circle its outer and inner
// circles. Arcs are cut into pieces of at most kArcStepDeg.
std::vector<OutlinePath> zoneOutline(const GuardZone &zone);

constexpr double kArcStepDeg = 2.0;

// Where a zone's number goes, its centre in the screen's plane, so that it
// never covers the zone's inside: beyond the outer arc in the middle of the
// sector, else inside the inner arc, else just before the sector's start.
// reach is how far the number's ink may lie from its centre and limit the
// farthest from the screen's centre that ink may go, both in scene units.
OutlinePoint zoneNumberPlace(const GuardZone &zone, double reach, double limit);
