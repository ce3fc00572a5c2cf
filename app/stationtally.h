#pragma once

#include <QtGlobal>

#include <deque>

// Counts kept from tick to tick for the monitors: how long ago the last frame
// came, and how many hits the beam made in its last turn.
class StationTally
{
public:
    // Each frame tick: dt seconds passed and the beam turned turnedDeg; the
    // logic has read framesRead frames on its connection (a new connection
    // counts afresh) and made hitsMade hits in all.
    void tick(double dt, double turnedDeg, qint64 framesRead, qint64 hitsMade);

    // Seconds since the last frame came; below 0 before the first.
    double lastFrameAge() const { return frameAge; }
    int hitsInLastTurn() const;

private:
    struct Mark {
        double turnedDeg; // by the beam since the first tick
        qint64 hitsMade;
    };

    double frameAge = -1.0;
    qint64 frames = 0;
    double turned = 0.0;
    std::deque<Mark> lastTurn; // the ticks of the last turn, oldest first, and one before
};
