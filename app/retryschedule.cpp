#include "retryschedule.h"

#include <algorithm>

namespace
{

// Past this many doublings the wait is far above any cap; stopping there
// keeps the shift inside an int.
constexpr int kMostDoublings = 16;

} // namespace

RetrySchedule::RetrySchedule(int longestWaitMs)
    : longestWaitMs(std::clamp(longestWaitMs, 0, kLongestWaitMs))
{
}

void RetrySchedule::recordFailure()
{
    ++failures;
    lastRefused = false;
}

void RetrySchedule::recordRefusal()
{
    lastRefused = true;
}

void RetrySchedule::recordHealthyConnection()
{
    failures = 0;
    lastRefused = false;
}

int RetrySchedule::nextWaitMs() const
{
    if (lastRefused)
        return std::min(kRefusedWaitMs, longestWaitMs);
    if (failures == 0)
        return 0;
    const int doublings = std::min(failures - 1, kMostDoublings);
    return std::min(kFirstWaitMs << doublings, longestWaitMs);
}
