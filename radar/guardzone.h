#pragma once

// An area of the radar screen that raises an alarm when a target in it is
// hit: the sector running clockwise from the bearing `from` to the bearing
// `to`, both included (through 0 when `from` is the larger; from 0 to 360 is
// the whole circle), between the distances `inner` and `outer` from the
// screen centre, both included.
//
// Bearings are in degrees as the hit lines print them: 0 up, 90 right,
// growing the way the beam turns. Distances are in wire coordinates doubled,
// d = 2 sqrt((x - 0.5)^2 + (y - 0.5)^2), so 0 is the centre and 1 the middle
// of an edge. Both are compared as the client's lines print them, to six
// significant digits, so that what a line says is what was tested.
struct GuardZone {
    int number;   // 1, 2, ... in the order of the settings file, skipped ones counted
    double from;  // degrees, 0 to 360
    double to;    // degrees, 0 to 360
    double inner; // 0 or more
    double outer; // inner or more

    bool isWholeCircle() const;
    // The bearing where a pass of the beam over the zone ends: the hit
    // window's half-width after `to`, or after 0 for the whole circle.
    double passEnd() const;
    // printedBearing and printedDistance as asPrinted gives them.
    bool contains(double printedBearing, double printedDistance) const;
};

// The distance d of a target at wire coordinates (x, y).
double zoneDistance(float x, float y);

// A number as the client's lines print it: six significant digits.
double asPrinted(double value);
