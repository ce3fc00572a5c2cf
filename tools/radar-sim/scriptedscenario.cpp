#include "scriptedscenario.h"

#include <algorithm>
#include <cmath>
#include <utility>

ScriptedScenario::ScriptedScenario(Script s) : script(std::move(s)), period(script.loopSeconds)
{
    if (period > 0)
        return;
    for (const Track &track : script.tracks)
        period = std::max(period, track.waypoints.back().seconds);
}

TargetList ScriptedScenario::targetsAt(double seconds)
{
    // With a zero period every track is a standing target or a single instant.
    const double inLoop = period > 0 ? std::fmod(seconds, period) : 0.0;
    TargetList targets;
    for (const Track &track : script.tracks) {
        SimTarget t{};
        if (trackAt(track, inLoop, t))
            targets.append(t);
    }
    return targets;
}

bool ScriptedScenario::trackAt(const Track &track, double seconds, SimTarget &out)
{
    const std::vector<Waypoint> &w = track.waypoints;
    out.value = track.value;
    if (w.size() == 1) {
        out.x = w.front().x;
        out.y = w.front().y;
        return true;
    }
    if (seconds < w.front().seconds || seconds > w.back().seconds)
        return false;
    const auto after = std::upper_bound(w.begin(), w.end(), seconds,
                                        [](double s, const Waypoint &p) { return s < p.seconds; });
    if (after == w.end()) {
        out.x = w.back().x;
        out.y = w.back().y;
        return true;
    }
    const Waypoint &b = *after;
    const Waypoint &a = *(after - 1);
    const double u = (seconds - a.seconds) / (b.seconds - a.seconds);
    out.x = static_cast<float>(a.x + u * (b.x - a.x));
    out.y = static_cast<float>(a.y + u * (b.y - a.y));
    return true;
}
