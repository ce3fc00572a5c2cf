#pragma once

#include "guardzone.h"

#include <functional>
#include <iosfwd>
#include <vector>

// Keeps the alarm state of the guard zones as the beam turns. A hit on a
// target inside a zone puts the zone in alarm and writes an alarm line right
// after the hit line. Each zone's pass ends when the beam passes its
// passEnd(); a zone in alarm that saw no hit since the previous end of a pass
// then clears, with its line. Counting in passes keeps a target that stands
// in the zone from clearing and raising the alarm again every turn, whatever
// the frame timing.
//
// The alarm sounds for a zone that goes into alarm, and for a new target in a
// zone already in alarm: a hit farther than kNewTargetDistance (in the zones'
// distance unit) from every hit of the zone's previous pass and of this one
// so far. How often a sound may actually play is the sound's business.
class ZoneWatch
{
public:
    static constexpr double kNewTargetDistance = 0.05;

    // Lines go to out; soundAlarm is called when the alarm should sound.
    ZoneWatch(std::vector<GuardZone> zones, std::ostream &out, std::function<void()> soundAlarm);

    // A target at wire coordinates (x, y) with this bearing was just hit, and
    // its hit line written.
    void targetHit(float x, float y, float bearing);
    // After a tick's hits: the beam turned clockwise through turnedDeg
    // degrees from startDeg.
    void beamTurned(double startDeg, double turnedDeg);
    // The picture is unknown from now on (an outage): every zone in alarm
    // clears, and what the zones remember of their hits is forgotten.
    void clearAll();

    const std::vector<GuardZone> &zones() const { return watched; }
    bool isInAlarm(size_t zone) const { return states[zone].inAlarm; }
    // True when a hit drawn at scene (X, Y), relative to the screen centre,
    // lies inside a zone that is in alarm.
    bool inZoneInAlarm(float X, float Y) const;

private:
    // A hit's place, in the zones' distance unit.
    struct Spot {
        double x, y;
    };
    struct ZoneState {
        bool inAlarm = false;
        std::vector<Spot> thisPass; // hits inside the zone since its last pass ended
        std::vector<Spot> lastPass; // those of the pass before
    };

    bool isNewTarget(const ZoneState &state, const Spot &spot) const;
    void endPass(size_t zone);

    std::vector<GuardZone> watched;
    std::vector<ZoneState> states;
    std::ostream &out;
    std::function<void()> soundAlarm;
};
