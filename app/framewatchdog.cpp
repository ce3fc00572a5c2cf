#include "framewatchdog.h"

#include <algorithm>

void FrameWatchdog::restart(qint64 framesSoFar)
{
    frames = framesSoFar;
    silentFor = 0.0;
}

void FrameWatchdog::observe(qint64 framesSoFar, double dt)
{
    if (framesSoFar != frames) {
        restart(framesSoFar);
        return;
    }
    silentFor += std::clamp(dt, 0.0, kLongestCountedTick);
}
