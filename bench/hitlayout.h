#pragma once

#include "frames.h"

#include <QString>

#include <vector>

class RadarDriver;

// Targets standing in one sector of bearings on the radar screen, laid so
// that the beam can turn each of them into a hit within a few updates, all
// with nearly their full life. Bearings are in degrees, clockwise from the
// screen's far edge, as the logic counts them.
struct HitLayout {
    const char *name;
    double firstBearing; // degrees
    double widthDeg;     // the sector's width; the targets fill it evenly
    int targetCount;
};

// The layout's targets in wire coordinates (0..1 spans the screen).
std::vector<testframes::Record> layoutTargets(const HitLayout &layout);

// Clears every hit, then turns the beam over the layout's sector, with
// updates so short that the hits barely age and no snapshot rebuild clears a
// flag, so that each target gives exactly one hit. *longestUpdateMs receives
// the longest of those updates (the one that made the most hits).
void makeHits(RadarDriver &driver, const HitLayout &layout, double *longestUpdateMs);

// Writes the layout as a simulator scenario of standing targets.
bool writeScenario(const HitLayout &layout, const QString &path);
