#include "zonewatch.h"

#include "bearing.h"
#include "wirescene.h"

#include <cmath>
#include <ostream>
#include <utility>

namespace
{


// True when the beam, turning turnedDeg from startDeg, reached the bearing
// point: it passes each bearing once a turn, the starting one last.
bool passes(double startDeg, double turnedDeg, double point)
{
    double ahead = std::fmod(point - startDeg, kFullTurnDeg);
    if (ahead <= 0.0)
        ahead += kFullTurnDeg;
    return ahead <= turnedDeg;
}

} // namespace

ZoneWatch::ZoneWatch(std::vector<GuardZone> zones, std::ostream &out,
                     std::function<void()> soundAlarm)
    : watched(std::move(zones)), states(watched.size()), out(out), soundAlarm(std::move(soundAlarm))
{
}

void ZoneWatch::targetHit(float x, float y, float bearing)
{
    const double distance = zoneDistance(x, y);
    const double printedBearing = asPrinted(double(bearing));
    const double printedDistance = asPrinted(distance);
    const Spot spot{kZoneDistanceScale * x, kZoneDistanceScale * y};
    bool sound = false;
    for (size_t i = 0; i < watched.size(); ++i) {
        if (!watched[i].contains(printedBearing, printedDistance))
            continue;
        ZoneState &state = states[i];
        out << "alarm zone " << watched[i].number << " @ alpha: " << double(bearing)
            << " range: " << distance << std::endl;
        sound = sound || !state.inAlarm || isNewTarget(state, spot);
        state.inAlarm = true;
        state.thisPass.push_back(spot);
    }
    if (sound && soundAlarm)
        soundAlarm();
}

bool ZoneWatch::isNewTarget(const ZoneState &state, const Spot &spot) const
{
    for (const std::vector<Spot> *pass : {&state.lastPass, &state.thisPass}) {
        for (const Spot &seen : *pass) {
            if (std::hypot(spot.x - seen.x, spot.y - seen.y) <= kNewTargetDistance)
                return false;
        }
    }
    return true;
}

void ZoneWatch::beamTurned(double startDeg, double turnedDeg)
{
    for (size_t i = 0; i < watched.size(); ++i) {
        if (passes(startDeg, turnedDeg, watched[i].passEnd()))
            endPass(i);
    }
}

void ZoneWatch::endPass(size_t zone)
{
    ZoneState &state = states[zone];
    if (state.inAlarm && state.thisPass.empty()) {
        state.inAlarm = false;
        out << "clear zone " << watched[zone].number << std::endl;
    }
    state.lastPass = std::move(state.thisPass);
    state.thisPass.clear();
}

void ZoneWatch::clearAll()
{
    for (size_t i = 0; i < watched.size(); ++i) {
        if (states[i].inAlarm)
            out << "clear zone " << watched[i].number << std::endl;
        states[i] = ZoneState();
    }
}

// Drawn every frame for every hit, so the bearing's arc tangent is taken only
// for a point within some alarmed zone's ring, and the values are compared
// as they are: rounding them as the lines print them would cost more than
// the test, and changes nothing a marker's colour could show.
bool ZoneWatch::inZoneInAlarm(float X, float Y) const
{
    const double distance = zoneDistance(fromScene(X), fromScene(Y));
    double bearing = -1.0; // not taken yet
    for (size_t i = 0; i < watched.size(); ++i) {
        const GuardZone &zone = watched[i];
        if (!states[i].inAlarm || distance < zone.inner || distance > zone.outer)
            continue;
        if (bearing < 0.0)
            bearing = double(bearingOf(X, Y));
        if (zone.contains(bearing, distance))
            return true;
    }
    return false;
}
