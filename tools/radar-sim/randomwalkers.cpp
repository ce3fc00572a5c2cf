#include "randomwalkers.h"

#include <cmath>

namespace
{

constexpr double kMinSpeed = 0.01; // screen units per second
constexpr double kMaxSpeed = 0.05;
constexpr double kMaxTurnPerStep = 0.3; // radians, either way
constexpr double kPi = 3.14159265358979323846;

} // namespace

RandomWalkers::RandomWalkers(int count, quint32 seed) : rng(seed)
{
    walkers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Walker w{};
        w.x = rng.generateDouble();
        w.y = rng.generateDouble();
        w.headingRadians = rng.generateDouble() * 2.0 * kPi;
        w.speed = kMinSpeed + rng.generateDouble() * (kMaxSpeed - kMinSpeed);
        walkers.push_back(w);
    }
}

TargetList RandomWalkers::targetsAt(double seconds)
{
    const auto due = static_cast<qint64>(std::floor(seconds / kStepSeconds));
    while (stepsTaken < due)
        step();
    TargetList targets;
    targets.reserve(static_cast<int>(walkers.size()));
    for (size_t i = 0; i < walkers.size(); ++i) {
        targets.append(SimTarget{static_cast<float>(walkers[i].x), static_cast<float>(walkers[i].y),
                                 static_cast<quint16>(i + 1)});
    }
    return targets;
}

void RandomWalkers::step()
{
    for (Walker &w : walkers) {
        w.headingRadians += (rng.generateDouble() * 2.0 - 1.0) * kMaxTurnPerStep;
        w.x += std::cos(w.headingRadians) * w.speed * kStepSeconds;
        w.y += std::sin(w.headingRadians) * w.speed * kStepSeconds;
        bounce(w.x, w.headingRadians, true);
        bounce(w.y, w.headingRadians, false);
    }
    ++stepsTaken;
}

// Mirrors a coordinate that left 0..1 back inside and turns the heading
// as a wall would reflect it.
void RandomWalkers::bounce(double &position, double &heading, bool horizontal)
{
    if (position >= 0.0 && position <= 1.0)
        return;
    position = position < 0.0 ? -position : 2.0 - position;
    heading = horizontal ? kPi - heading : -heading;
}
