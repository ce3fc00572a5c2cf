#pragma once

#include "targetsource.h"

#include <QRandomGenerator>

#include <vector>

// Targets wandering inside the screen: each keeps a speed and turns its
// heading a little at random every step, bouncing off the edges. The walk
// advances in fixed steps, so the positions at a time depend only on the seed
// and that time, not on how often they were asked for.
class RandomWalkers : public TargetSource
{
public:
    // count must lie in 0..MaxTargets; the options check it.
    RandomWalkers(int count, quint32 seed);

    TargetList targetsAt(double seconds) override;

    static constexpr double kStepSeconds = 0.05;

private:
    struct Walker {
        double x, y; // screen units
        double headingRadians;
        double speed; // screen units per second
    };

    void step();
    static void bounce(double &position, double &heading, bool horizontal);

    QRandomGenerator rng;
    std::vector<Walker> walkers;
    qint64 stepsTaken = 0;
};
