#pragma once

#include "guardzone.h"
#include "hit.h"

#include <array>
#include <functional>
#include <iosfwd>
#include <vector>

// Keeps the alarm state of the guard zones as the beam turns. A hit on a
// target inside a zone puts the zone in alarm and writes an alarm line right
// after the hit line.
//
// A zone counts the beam's turns in passes, each ending at the zone's
// passEnd(). A hit counts for the pass in which the beam reaches the target's
// bearing plus the hit window's half-width: where the target stands, not when
// a frame happened to catch it. So a target that stands still gives every pass
// a hit, whatever the zone's shape and however the frames fall, even when its
// hit window straddles the pass end, as it may in a wide zone. By the end of a
// pass every hit of it has come, and a zone in alarm whose pass had no hit,
// and no hit yet in the next, clears with its line.
//
// The alarm sounds for a zone that goes into alarm, and for a new target in a
// zone already in alarm: a hit farther than kNewTargetDistance (in the zones'
// distance unit) from every hit the zone remembers: those counted for the
// pass the beam is in, the next, and the two before. How often a sound may
// actually play is the sound's business.
//
// When the signal is lost the picture is unknown, which is not a clear: the
// zones in alarm become Unknown, without a line, until the signal is back,
// when every zone starts afresh.
class ZoneWatch
{
public:
    static constexpr double kNewTargetDistance = 0.05;

    enum class State { Armed, Alarm, Unknown };

    // A line the zones write, as facts, for a record of them: a zone gone
    // into alarm or a new target in one (the moments the alarm sounds), or a
    // zone cleared.
    struct Event {
        enum class Kind { Alarm, Clear };
        Kind kind;
        int zone;              // its number
        PrintedNumber bearing; // the hit's, for an alarm
        PrintedNumber distance;
        bool newTarget; // an alarm for a new target in a zone already in alarm
    };

    // Lines go to out; soundAlarm is called when the alarm should sound.
    ZoneWatch(std::vector<GuardZone> zones, std::ostream &out, std::function<void()> soundAlarm);

    // Tells listener each event just before its line is written.
    void onEvent(std::function<void(const Event &)> listener);

    // Each tick, before its hits: the beam turned clockwise through turnedDeg
    // degrees from startDeg.
    void beamTurned(double startDeg, double turnedDeg);
    // A target at wire coordinates (x, y) with this bearing was just hit, and
    // its hit line written; hit is marked with where the zones found it.
    void targetHit(float x, float y, float bearing, Hit &hit);
    // After the tick's hits: the passes that ended in it are judged.
    void hitsScanned();

    // The feed is gone: zones in alarm become Unknown, and what every zone
    // remembers of its hits and of the beam is forgotten.
    void signalLost();
    // Frames come again: every zone is armed, with nothing remembered.
    void signalBack();

    const std::vector<GuardZone> &zones() const { return watched; }
    State state(size_t zone) const { return states[zone].state; }
    bool isInAlarm(size_t zone) const { return state(zone) == State::Alarm; }
    // True when hit lies inside a zone that is in alarm.
    bool inZoneInAlarm(const Hit &hit) const;

private:
    // A hit's place, in the zones' distance unit.
    struct Spot {
        double x, y;
    };
    // The passes a zone remembers, by where the beam is: the one it is in,
    // the next, and the two before.
    enum Pass { BeforePrevious, Previous, Current, Next, kPassesRemembered };
    struct ZoneState {
        State state = State::Armed;
        bool followsBeam = false; // beamPastEnd is known
        double beamPastEnd = 0.0; // degrees the beam has turned since the last pass end, [0, 360)
        bool passEnded = false;   // in this tick, to be judged after its hits
        std::array<std::vector<Spot>, kPassesRemembered> hits; // counted for each pass
    };

    void followBeam(const GuardZone &zone, ZoneState &state, double startDeg, double turnedDeg);
    Pass passOf(const GuardZone &zone, const ZoneState &state, double bearing) const;
    bool isNewTarget(const ZoneState &state, const Spot &spot) const;
    void judgePass(size_t zone);

    std::vector<GuardZone> watched;
    std::vector<ZoneState> states;
    double lastTurnDeg = 0.0; // the beam's turn in the tick under way
    std::ostream &out;
    std::function<void()> soundAlarm;
    std::function<void(const Event &)> listener;
};
