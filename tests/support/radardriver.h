#pragma once

#include "frames.h"
#include "logic.h"
#include "loopbackserver.h"

#include <vector>

// Puts a real Logic, connected to a loopback server, into chosen states for
// tests of what is built on it (the view, the window).
class RadarDriver
{
public:
    RadarDriver();

    bool isConnected() const { return connected; }

    // Sends the first frame with these targets (wire coordinates 0..1) and
    // waits until the logic has parsed it.
    bool sendTargets(const std::vector<testframes::Record> &targets);

    // Sends targets at several bearings, hit at different times, so that the
    // markers differ in place and in alpha and some overlap the sweep.
    bool sendSpreadTargets();

    // Turns the beam forward (never backward) to angle degrees.
    void turnBeamTo(double angle);

    // Runs one update with dt seconds, as the window does after a tick.
    void update(double dt) { logic.update(dt); }

    LoopbackServer server;
    Logic logic;

private:
    bool connected = false;
};
