#include "zonewatch.h"

#include "bearing.h"

#include <cmath>
#include <ostream>
#include <utility>

namespace
{

constexpr double kFullTurnDeg = 360.0;
// A wire coordinate v lies at scene offset 3v - 1.5.
constexpr float kSceneScale = 3.0f;
constexpr float kSceneOffset = 1.5f;
// Wire coordinates doubled give the zones' distance unit.
constexpr double kSpotScale = 2.0;

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
    const Spot spot{kSpotScale * x, kSpotScale * y};
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

bool ZoneWatch::inZoneInAlarm(float X, float Y) const
{
    bool anyInAlarm = false;
    for (const ZoneState &state : states)
        anyInAlarm = anyInAlarm || state.inAlarm;
    if (!anyInAlarm)
        return false;
    const float x = (X + kSceneOffset) / kSceneScale;
    const float y = (Y + kSceneOffset) / kSceneScale;
    const double printedBearing = asPrinted(double(bearingOf(X, Y)));
    const double printedDistance = asPrinted(zoneDistance(x, y));
    for (size_t i = 0; i < watched.size(); ++i) {
        if (states[i].inAlarm && watched[i].contains(printedBearing, printedDistance))
            return true;
    }
    return false;
}
