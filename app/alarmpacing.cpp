#include "alarmpacing.h"

AlarmPacing::AlarmPacing(std::int64_t shortestGapMs) : shortestGapMs(shortestGapMs) {}

bool AlarmPacing::ask(std::int64_t nowMs)
{
    // Even when the gap has ended, the sound that waits takes this ask along:
    // otherwise both would sound, one right after the other.
    if (waiting)
        return false;
    if (mayStartAt(nowMs)) {
        soundedAt(nowMs);
        return true;
    }
    waiting = true;
    return false;
}

std::int64_t AlarmPacing::waitingUntil() const
{
    return waiting ? lastSoundMs + shortestGapMs : kNoneWaiting;
}

bool AlarmPacing::takeDue(std::int64_t nowMs)
{
    if (!waiting || !mayStartAt(nowMs))
        return false;
    waiting = false;
    soundedAt(nowMs);
    return true;
}

void AlarmPacing::dropWaiting()
{
    waiting = false;
}

bool AlarmPacing::mayStartAt(std::int64_t nowMs) const
{
    return !hasSounded || nowMs - lastSoundMs >= shortestGapMs;
}

void AlarmPacing::soundedAt(std::int64_t nowMs)
{
    hasSounded = true;
    lastSoundMs = nowMs;
}
