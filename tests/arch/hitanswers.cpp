#include "answers.h"
#include "guardzone.h"
#include "logic.h"
#include "loopbackserver.h"
#include "scriptedscenario.h"
#include "simserver.h"
#include "zonewatch.h"

#include <cstdint>
#include <iostream>
#include <memory>

namespace
{

constexpr int kTargets = 300;
constexpr quint32 kSeed = 20261209;
// An uneven tick, so that the beam takes values whose last bits depend on
// every addition, as a real frame clock's do.
constexpr double kTickSeconds = 0.0173;
constexpr int kTicks = 1000;            // about four turns of the beam
constexpr int kTicksToFirstRequest = 4; // more than the request interval

// Integer arithmetic only, so that both machines place the same targets.
quint32 nextRandom(quint32 &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

float randomCoordinate(quint32 &state)
{
    constexpr float kSteps = float(1u << 24);
    return float(nextRandom(state)) / kSteps;
}

std::unique_ptr<SimServer> standingTargets()
{
    ScriptedScenario::Script script;
    quint32 state = kSeed;
    for (int i = 0; i < kTargets; ++i) {
        const float x = randomCoordinate(state);
        const float y = randomCoordinate(state);
        script.tracks.push_back({quint16(i), {{0, x, y}}});
    }
    return std::make_unique<SimServer>(std::make_unique<ScriptedScenario>(script), FaultOptions{});
}

// Zones of every shape: narrow, wide, through north, the whole circle.
std::vector<GuardZone> zonesOfEveryShape()
{
    return {
        {1, 30, 50, 0.2, 0.6}, {2, 100, 280, 0.5, 1.2}, {3, 340, 20, 0, 2}, {4, 0, 360, 0.9, 1}};
}

} // namespace

bool printHitAnswers()
{
    std::unique_ptr<SimServer> server = standingTargets();
    QString error;
    if (!server->listen(QHostAddress::LocalHost, 0, error)) {
        std::cerr << "simulator: " << error.toStdString() << '\n';
        return false;
    }
    Logic logic;
    if (!logic.connectToServer(QStringLiteral("127.0.0.1"), server->port()))
        return false;
    ZoneWatch zones(zonesOfEveryShape(), std::cout, [] { std::cout << "sound" << std::endl; });
    logic.watchZones(&zones);
    // Every frame is the same, so once the first one is in, the ticks alone
    // decide what is printed. The first request goes out after a few ticks.
    for (int i = 0; i < kTicksToFirstRequest; ++i)
        if (!logic.tick(kTickSeconds))
            return false;
    if (!waitUntil([&] { return logic.targetCount() == kTargets; }))
        return false;
    for (int i = 0; i < kTicks; ++i) {
        if (!logic.tick(kTickSeconds))
            return false;
        logic.update(kTickSeconds);
        spinEvents(0);
    }
    logic.watchZones(nullptr);
    return true;
}
