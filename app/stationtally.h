#pragma once

#include <QtGlobal>

// Counts kept from tick to tick for the monitors: how long ago the last frame
// came, and how many hits the beam made in its last whole turn. Counted by
// whole turns, the hits change once a turn, not with every hit and every
// tick, and their monitor is drawn anew that seldom.
class StationTally
{
public:
    // Each frame tick: dt seconds passed and the beam turned turnedDeg; the
    // logic has read framesRead frames on its connection (a new connection
    // counts afresh) and made hitsMade hits in all.
    void tick(double dt, double turnedDeg, qint64 framesRead, qint64 hitsMade);

    // Seconds since the last frame came; below 0 before the first.
    double lastFrameAge() const { return frameAge; }
    // The hits of the last whole turn; until a turn is whole, those so far.
    int hitsInLastTurn() const;

private:
    double frameAge = -1.0;
    qint64 frames = 0;
    double turnedThisTurn = 0.0; // degrees since the turn began
    qint64 hitsBeforeTurn = 0;   // hits made when it began
    qint64 hitsNow = 0;
    int lastTurnHits = -1; // below 0 until a turn is whole
};
