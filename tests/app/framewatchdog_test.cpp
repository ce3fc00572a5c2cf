#include "framewatchdog.h"

#include <gtest/gtest.h>

namespace
{

constexpr double kTick = 0.02; // the frame timer's usual step, seconds
// What operators are told: a connection silent this long counts as lost, and
// a tick of the client's own counts for at most this much of it.
constexpr double kSilentSeconds = 3.0;
constexpr double kLongestTickSeconds = 0.25;

// Ticks of dt with no new frame until the watchdog calls the connection
// silent; the seconds that took, or -1 when it never did within a minute.
double secondsUntilSilent(FrameWatchdog &watchdog, qint64 frames, double dt)
{
    double elapsed = 0.0;
    while (elapsed < 60.0) {
        watchdog.observe(frames, dt);
        elapsed += dt;
        if (watchdog.isSilent())
            return elapsed;
    }
    return -1.0;
}

} // namespace

TEST(FrameWatchdogTest, CallsAConnectionSilentAfterThreeSecondsOfAskingWithoutAFrame)
{
    FrameWatchdog watchdog;
    watchdog.restart(0);
    EXPECT_NEAR(secondsUntilSilent(watchdog, 0, kTick), kSilentSeconds, kTick);
    // A new connection starts the count again.
    watchdog.restart(0);
    EXPECT_FALSE(watchdog.isSilent());
}

TEST(FrameWatchdogTest, AFrameASecondKeepsTheConnection)
{
    FrameWatchdog watchdog;
    watchdog.restart(0);
    for (qint64 frame = 1; frame <= 30; ++frame) {
        for (int tick = 0; tick < 50; ++tick)
            watchdog.observe(frame - 1, kTick);
        watchdog.observe(frame, kTick);
        ASSERT_FALSE(watchdog.isSilent()) << "frame " << frame;
    }
}

TEST(FrameWatchdogTest, TheClientsOwnStallsCountOnlyAsLongAsALongTick)
{
    // A ten-second stall of the client itself, then ordinary ticks: the server
    // is given the whole limit of asking before it counts as silent.
    FrameWatchdog watchdog;
    watchdog.restart(7);
    watchdog.observe(7, 10.0);
    EXPECT_FALSE(watchdog.isSilent());
    EXPECT_NEAR(secondsUntilSilent(watchdog, 7, kTick), kSilentSeconds - kLongestTickSeconds,
                kTick);
}
