#pragma once

#include <limits>

// A detection on the radar screen, in scene units relative to the screen centre.
struct Hit {
    float x;    // scene x offset
    float y;    // scene offset along the depth axis
    float life; // remaining life in seconds
    // Where the guard zones found it: its bearing in degrees and its distance
    // as the lines print them, so that a marker's colour is decided on the
    // values its lines were. NaN, inside no zone, when no zones watch.
    double printedBearing = std::numeric_limits<double>::quiet_NaN();
    double printedDistance = std::numeric_limits<double>::quiet_NaN();
};
