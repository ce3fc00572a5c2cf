#include "demoscenario.h"

#include <QRandomGenerator>

#include <cmath>

namespace
{

constexpr int kStraightCrossings = 5;
constexpr int kWeavingCrossings = 3;
constexpr int kOrbits = 4;

constexpr double kMinSpeed = 0.03; // screen units per second
constexpr double kMaxSpeed = 0.08;
constexpr double kMinPauseSeconds = 2.0;
constexpr double kMaxPauseSeconds = 8.0;
constexpr double kEdgeMargin = 0.1; // entry and exit points keep off the corners
constexpr double kMinWeave = 0.03;  // screen units
constexpr double kMaxWeave = 0.08;
constexpr int kMinHalfWaves = 2;
constexpr int kMaxHalfWaves = 6;
constexpr double kMinRadius = 0.08; // screen units
constexpr double kMaxRadius = 0.3;
constexpr double kOrbitClearance = 0.02; // gap between a circle and the screen edge
constexpr double kMinTurnRate = 4.0;     // degrees per second
constexpr double kMaxTurnRate = 15.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;

double between(QRandomGenerator &rng, double low, double high)
{
    return low + rng.generateDouble() * (high - low);
}

// A point on edge 0..3 (left, right, bottom, top) and the matching point on
// the opposite edge, both away from the corners.
void pickEdgePoints(QRandomGenerator &rng, double &sx, double &sy, double &ex, double &ey)
{
    const int edge = static_cast<int>(rng.bounded(4));
    const double along = between(rng, kEdgeMargin, 1.0 - kEdgeMargin);
    const double across = between(rng, kEdgeMargin, 1.0 - kEdgeMargin);
    const bool vertical = edge < 2;
    const double from = (edge % 2 == 0) ? 0.0 : 1.0;
    sx = vertical ? from : along;
    sy = vertical ? along : from;
    ex = vertical ? 1.0 - from : across;
    ey = vertical ? across : 1.0 - from;
}

} // namespace

DemoScenario::DemoScenario(quint32 seed)
{
    QRandomGenerator rng(seed);
    quint16 nextValue = 1;
    for (int i = 0; i < kStraightCrossings + kWeavingCrossings; ++i) {
        Crossing c{};
        pickEdgePoints(rng, c.startX, c.startY, c.endX, c.endY);
        const double length = std::hypot(c.endX - c.startX, c.endY - c.startY);
        c.travelSeconds = length / between(rng, kMinSpeed, kMaxSpeed);
        c.pauseSeconds = between(rng, kMinPauseSeconds, kMaxPauseSeconds);
        c.phaseSeconds = between(rng, 0.0, c.travelSeconds + c.pauseSeconds);
        if (i >= kStraightCrossings) {
            c.weaveAmplitude = between(rng, kMinWeave, kMaxWeave);
            c.weaveHalfWaves = rng.bounded(kMinHalfWaves, kMaxHalfWaves + 1);
        }
        c.value = nextValue++;
        crossings.push_back(c);
    }
    for (int i = 0; i < kOrbits; ++i) {
        Orbit o{};
        o.radius = between(rng, kMinRadius, kMaxRadius);
        const double reach = o.radius + kOrbitClearance;
        o.centreX = between(rng, reach, 1.0 - reach);
        o.centreY = between(rng, reach, 1.0 - reach);
        const double rate = between(rng, kMinTurnRate, kMaxTurnRate);
        o.degreesPerSecond = rng.bounded(2) == 0 ? rate : -rate;
        o.phaseDegrees = between(rng, 0.0, 360.0);
        o.value = nextValue++;
        orbits.push_back(o);
    }
}

TargetList DemoScenario::targetsAt(double seconds)
{
    TargetList targets;
    for (const Crossing &c : crossings) {
        SimTarget t{};
        if (crossingAt(c, seconds, t))
            targets.append(t);
    }
    for (const Orbit &o : orbits)
        targets.append(orbitAt(o, seconds));
    return targets;
}

bool DemoScenario::crossingAt(const Crossing &c, double seconds, SimTarget &out) const
{
    const double cycle = c.travelSeconds + c.pauseSeconds;
    const double inCycle = std::fmod(seconds + c.phaseSeconds, cycle);
    if (inCycle > c.travelSeconds)
        return false;
    const double u = inCycle / c.travelSeconds; // 0 at entry, 1 at exit
    const double dx = c.endX - c.startX;
    const double dy = c.endY - c.startY;
    const double length = std::hypot(dx, dy);
    // Whole half waves make the weave zero at both edges, so a weaving target
    // still enters and leaves where its straight course would.
    const double side = c.weaveAmplitude * std::sin(kPi * c.weaveHalfWaves * u);
    out.x = static_cast<float>(c.startX + u * dx - side * dy / length);
    out.y = static_cast<float>(c.startY + u * dy + side * dx / length);
    out.value = c.value;
    return true;
}

SimTarget DemoScenario::orbitAt(const Orbit &o, double seconds) const
{
    const double angle = (o.phaseDegrees + o.degreesPerSecond * seconds) / kDegreesPerRadian;
    return SimTarget{static_cast<float>(o.centreX + o.radius * std::cos(angle)),
                     static_cast<float>(o.centreY + o.radius * std::sin(angle)), o.value};
}
