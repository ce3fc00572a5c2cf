#pragma once

#include "targetsource.h"

#include <vector>

// Tracks read from a scenario file: each target moves in straight lines
// between timed waypoints and the whole script starts over after its loop time.
class ScriptedScenario : public TargetSource
{
public:
    struct Waypoint {
        double seconds; // since the start of the loop
        float x;        // screen units
        float y;
    };
    struct Track {
        quint16 value;                   // sent in the value field
        std::vector<Waypoint> waypoints; // at least one, times strictly increasing
    };
    struct Script {
        std::vector<Track> tracks;
        double loopSeconds = 0; // 0: the time of the last waypoint of any track
    };

    explicit ScriptedScenario(Script script);

    // A track with one waypoint stands there all the time; a longer track is
    // present from its first waypoint to its last one.
    TargetList targetsAt(double seconds) override;

    double loopSeconds() const { return period; }

private:
    static bool trackAt(const Track &track, double seconds, SimTarget &out);

    Script script;
    double period;
};
