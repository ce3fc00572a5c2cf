#pragma once

#include "paneltexts.h"
#include "stationstatus.h"

#include <QTime>

#include <vector>

// What the monitors are given to say: the station's state as its service
// manager is told it, and a few more facts.
struct PanelFacts {
    StationState state;
    QString server;                // host:port, as the status line names it
    double lastFrameAge = -1.0;    // seconds since the last frame; below 0 before the first
    int hitsInLastTurn = 0;        // hits the beam made in its last turn
    int zones = 0;                 // guard zones watched
    std::vector<int> zonesUnknown; // numbers of the zones an outage left unknown
    QTime time;                    // local time
};

// The monitors' words, in capitals as on a console, the server as named:
// "LIVE AGE 0.1 S" (the last frame's age), "NO SIGNAL 40.2 S" (since the
// last frame) or "CONNECTING", over the server; "TARGETS 12" over "HITS 34
// LAST TURN"; "ZONES 4", "ALARM 2 3" or, for zones an outage left unknown,
// "UNKNOWN 2 3", over the time as HH:MM:SS (the time alone without zones).
// A line too long for its monitor is cut, its end replaced by "...".
PanelTexts stationPanels(const PanelFacts &facts);

// Characters a monitor's line holds.
constexpr int kPanelLineChars = 20;
