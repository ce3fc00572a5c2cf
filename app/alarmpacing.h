#pragma once

#include <cstdint>

// When the alarm may sound, on a clock in milliseconds that never goes back:
// at most once every shortest gap. A sound asked for inside the gap waits for
// its end instead of being lost; at most one waits, and later asks join it,
// so that no ask sounds twice and a burst of asks sounds twice at most. Plain
// C++, so that the pacing is tested without a clock or a sound system.
class AlarmPacing
{
public:
    static constexpr std::int64_t kNoneWaiting = -1;

    explicit AlarmPacing(std::int64_t shortestGapMs);

    // A sound is asked for at nowMs. True when it may sound at once, and then
    // counts as sounded; false when it waits, or joins the one that waits.
    bool ask(std::int64_t nowMs);
    // When the waiting sound may sound, or kNoneWaiting.
    std::int64_t waitingUntil() const;
    // True when a sound waits and may sound at nowMs; it then counts as
    // sounded and waits no more.
    bool takeDue(std::int64_t nowMs);
    // The waiting sound, if any, will not sound.
    void dropWaiting();

private:
    bool mayStartAt(std::int64_t nowMs) const;
    void soundedAt(std::int64_t nowMs);

    const std::int64_t shortestGapMs;
    std::int64_t lastSoundMs = 0;
    bool hasSounded = false;
    bool waiting = false;
};
