#include "zonewatch.h"

#include "wirescene.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

namespace
{

// degrees folded into [0, 360).
double fold(double degrees)
{
    double folded = std::fmod(degrees, kFullTurnDeg);
    if (folded < 0.0)
        folded += kFullTurnDeg;
    return folded < kFullTurnDeg ? folded : 0.0;
}

} // namespace

ZoneWatch::ZoneWatch(std::vector<GuardZone> zones, std::ostream &out,
                     std::function<void()> soundAlarm)
    : watched(std::move(zones)), states(watched.size()), out(out), soundAlarm(std::move(soundAlarm))
{
}

void ZoneWatch::onEvent(std::function<void(const Event &)> eventListener)
{
    listener = std::move(eventListener);
}

void ZoneWatch::beamTurned(double startDeg, double turnedDeg)
{
    if (!(turnedDeg >= 0.0) || !std::isfinite(turnedDeg) || !std::isfinite(startDeg))
        return;
    lastTurnDeg = turnedDeg;
    for (size_t i = 0; i < watched.size(); ++i)
        followBeam(watched[i], states[i], startDeg, turnedDeg);
}

// Each pass end the beam passes moves the zone's hits one pass back.
void ZoneWatch::followBeam(const GuardZone &zone, ZoneState &state, double startDeg,
                           double turnedDeg)
{
    if (!state.followsBeam) {
        state.beamPastEnd = fold(startDeg - zone.passEnd());
        state.followsBeam = true;
    }
    state.beamPastEnd += turnedDeg;
    if (state.beamPastEnd < kFullTurnDeg)
        return;
    const double ended = std::floor(state.beamPastEnd / kFullTurnDeg);
    state.beamPastEnd = fold(state.beamPastEnd - ended * kFullTurnDeg);
    // More passes than are remembered ending in one tick (a stall of turns)
    // leave nothing of the older ones.
    const int moves = int(std::min(ended, double(kPassesRemembered)));
    for (int i = 0; i < moves; ++i) {
        std::rotate(state.hits.begin(), state.hits.begin() + 1, state.hits.end());
        state.hits[Next].clear();
    }
    state.passEnded = true;
}

void ZoneWatch::targetHit(float x, float y, float bearing, Hit &hit)
{
    const PrintedNumber printedBearing = printed(double(bearing));
    const PrintedNumber printedDistance = printed(zoneDistance(x, y));
    hit.printedBearing = printedBearing.value;
    hit.printedDistance = printedDistance.value;
    const Spot spot{kZoneDistanceScale * x, kZoneDistanceScale * y};
    bool sound = false;
    for (size_t i = 0; i < watched.size(); ++i) {
        if (!watched[i].contains(printedBearing.value, printedDistance.value))
            continue;
        ZoneState &state = states[i];
        const bool newAlarm = state.state != State::Alarm;
        const bool newTarget = !newAlarm && isNewTarget(state, spot);
        if (listener && (newAlarm || newTarget))
            listener({Event::Kind::Alarm, watched[i].number, printedBearing, printedDistance,
                      newTarget});
        out << "alarm zone " << watched[i].number << " @ alpha: " << printedBearing.text
            << " range: " << printedDistance.text << std::endl;
        sound = sound || newAlarm || newTarget;
        state.state = State::Alarm;
        state.hits[passOf(watched[i], state, double(bearing))].push_back(spot);
    }
    if (sound && soundAlarm)
        soundAlarm();
}

// The pass whose span holds the target's bearing plus the hit window's
// half-width, told from where the beam is now. The beam is at most that
// half-width short of it (hit early in the window) or at most this tick's
// turn past it (hit late, after a slow frame): the pass the beam is in, or
// the one on either side when the pass end lies between. The two cases sit
// far apart on the circle, so the middle of the gap between them tells them
// apart with room to spare; a tick of nearly a turn leaves no gap, and its
// hits count for the pass the beam is in.
ZoneWatch::Pass ZoneWatch::passOf(const GuardZone &zone, const ZoneState &state,
                                  double bearing) const
{
    const double gapMiddle = (kFullTurnDeg + 2 * kBeamHalfWidthDeg - lastTurnDeg) / 2;
    if (!state.followsBeam || gapMiddle <= 2 * kBeamHalfWidthDeg)
        return Current;
    // Where the window's end lies in its pass, in (0, 360]: a window ending on
    // the pass end counts for the pass that ends there.
    double windowEnd = fold(bearing - zone.turnStart());
    if (windowEnd == 0.0)
        windowEnd = kFullTurnDeg;
    const double ahead = windowEnd - state.beamPastEnd;
    if (ahead > gapMiddle)
        return Previous;
    if (ahead < gapMiddle - kFullTurnDeg)
        return Next;
    return Current;
}

bool ZoneWatch::isNewTarget(const ZoneState &state, const Spot &spot) const
{
    for (const std::vector<Spot> &pass : state.hits) {
        for (const Spot &seen : pass) {
            if (std::hypot(spot.x - seen.x, spot.y - seen.y) <= kNewTargetDistance)
                return false;
        }
    }
    return true;
}

void ZoneWatch::hitsScanned()
{
    for (size_t i = 0; i < watched.size(); ++i) {
        if (states[i].passEnded)
            judgePass(i);
    }
}

// A zone in alarm clears when the pass that ended had no hit and no target
// has been counted for the passes after it either.
void ZoneWatch::judgePass(size_t zone)
{
    ZoneState &state = states[zone];
    state.passEnded = false;
    if (state.state != State::Alarm || !state.hits[Previous].empty() ||
        !state.hits[Current].empty() || !state.hits[Next].empty())
        return;
    state.state = State::Armed;
    if (listener)
        listener({Event::Kind::Clear, watched[zone].number, {}, {}, false});
    out << "clear zone " << watched[zone].number << std::endl;
}

void ZoneWatch::signalLost()
{
    for (ZoneState &state : states) {
        const State was = state.state;
        state = ZoneState();
        state.state = was == State::Alarm ? State::Unknown : was;
    }
}

void ZoneWatch::signalBack()
{
    for (ZoneState &state : states)
        state = ZoneState();
}

bool ZoneWatch::inZoneInAlarm(const Hit &hit) const
{
    for (size_t i = 0; i < watched.size(); ++i) {
        if (states[i].state == State::Alarm &&
            watched[i].contains(hit.printedBearing, hit.printedDistance))
            return true;
    }
    return false;
}
