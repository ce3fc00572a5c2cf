#include "stationtally.h"

#include "wirescene.h"

#include <cmath>

void StationTally::tick(double dt, double turnedDeg, qint64 framesRead, qint64 hitsMade)
{
    if (framesRead != frames)
        frameAge = 0.0;
    else if (frameAge >= 0.0)
        frameAge += dt;
    frames = framesRead;
    hitsNow = hitsMade;
    turnedThisTurn += turnedDeg;
    if (turnedThisTurn < kFullTurnDeg)
        return;
    lastTurnHits = int(hitsMade - hitsBeforeTurn);
    hitsBeforeTurn = hitsMade;
    turnedThisTurn -= kFullTurnDeg * std::floor(turnedThisTurn / kFullTurnDeg);
}

int StationTally::hitsInLastTurn() const
{
    return lastTurnHits >= 0 ? lastTurnHits : int(hitsNow - hitsBeforeTurn);
}
