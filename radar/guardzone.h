#pragma once

#include <string>

// An area of the radar screen that raises an alarm when a target in it is
// hit: the sector running clockwise from the bearing `from` to the bearing
// `to`, both included (through 0 when `from` is the larger; from 0 to 360 is
// the whole circle), between the distances `inner` and `outer` from the
// screen centre, both included. 0 and 360 are the same bearing.
//
// Bearings are in degrees as the hit lines print them: 0 up, 90 right,
// growing the way the beam turns. Distances are in wire coordinates doubled,
// d = 2 sqrt((x - 0.5)^2 + (y - 0.5)^2), so 0 is the centre and 1 the middle
// of an edge. Both are compared as the client's lines print them, to six
// significant digits, so that what a line says is what was tested.
struct GuardZone {
    int number;   // 1, 2, ... in the order of the settings file, skipped ones counted
    double from;  // degrees, 0 to 360, not the same bearing as `to`
    double to;    // degrees, 0 to 360
    double inner; // 0 or more
    double outer; // inner or more

    bool isWholeCircle() const;
    // Degrees the sector spans clockwise from `from`: 360 for the whole circle.
    double span() const;
    // The bearing where the zone's turn is counted from: `to`, or 0 for the
    // whole circle. A hit counts for the turn in which the beam reaches the
    // target's bearing plus the hit window's half-width.
    double turnStart() const;
    // Where a pass of the beam over the zone ends and is judged: the hit
    // window's half-width after turnStart(), so that every hit of the pass
    // has come by then.
    double passEnd() const;
    // The one test of membership, for lines, markers and outlines alike, on
    // the bearing and distance as printed() gives them.
    bool contains(double printedBearing, double printedDistance) const;
    bool coversBearing(double printedBearing) const;
};

// The distance d of a target at wire coordinates (x, y).
double zoneDistance(float x, float y);

// A number as the client's lines print it (the standard stream's default:
// six significant digits), and the value of that text.
struct PrintedNumber {
    std::string text;
    double value;
};
PrintedNumber printed(double value);
