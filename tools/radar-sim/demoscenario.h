#pragma once

#include "targetsource.h"

#include <vector>

// The default picture: a dozen targets that look like traffic on a radar.
// Some cross the screen on straight or weaving courses, entering at one edge,
// leaving at the opposite one and coming back after a pause; others circle
// inside the screen all the time. Every track parameter is drawn from the seed,
// and a position is a pure function of the seed and the time.
class DemoScenario : public TargetSource
{
public:
    explicit DemoScenario(quint32 seed);

    TargetList targetsAt(double seconds) override;

private:
    // Edge to edge along a straight line, with a sideways sine weave when
    // weaveAmplitude is not 0; absent for pauseSeconds after each crossing.
    struct Crossing {
        double startX, startY, endX, endY; // screen units
        double travelSeconds;
        double pauseSeconds;
        double phaseSeconds;
        double weaveAmplitude; // screen units
        int weaveHalfWaves;    // whole half waves, so the weave is 0 at both edges
        quint16 value;
    };
    // A circle that stays inside the screen.
    struct Orbit {
        double centreX, centreY, radius; // screen units
        double degreesPerSecond;         // negative turns the other way
        double phaseDegrees;
        quint16 value;
    };

    bool crossingAt(const Crossing &c, double seconds, SimTarget &out) const;
    SimTarget orbitAt(const Orbit &o, double seconds) const;

    std::vector<Crossing> crossings;
    std::vector<Orbit> orbits;
};
