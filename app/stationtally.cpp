#include "stationtally.h"

#include "wirescene.h"

void StationTally::tick(double dt, double turnedDeg, qint64 framesRead, qint64 hitsMade)
{
    if (framesRead != frames)
        frameAge = 0.0;
    else if (frameAge >= 0.0)
        frameAge += dt;
    frames = framesRead;
    turned += turnedDeg;
    lastTurn.push_back({turned, hitsMade});
    // One mark a turn or more back stays, as the count's starting point.
    while (lastTurn.size() > 1 && turned - lastTurn[1].turnedDeg >= kFullTurnDeg)
        lastTurn.pop_front();
}

int StationTally::hitsInLastTurn() const
{
    if (lastTurn.empty())
        return 0;
    return int(lastTurn.back().hitsMade - lastTurn.front().hitsMade);
}
