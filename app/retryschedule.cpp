#include "retryschedule.h"

#include <algorithm>

namespace
{

// Past this many doublings the wait is far above any cap; stopping there
// keeps the shift inside an int.
constexpr int kMostDoublings = 16;

} // namespace

RetrySchedule::RetrySchedule(int longestWaitMs) : longestWaitMs(std::max(longestWaitMs, 0)) {}

void RetrySchedule::recordFailure()
{
    ++failures;
}

void RetrySchedule::recordHealthyConnection()
{
    failures = 0;
}

int RetrySchedule::nextWaitMs() const
{
    if (failures == 0)
        return 0;
    const int doublings = std::min(failures - 1, kMostDoublings);
    return std::min(kFirstWaitMs << doublings, longestWaitMs);
}
