#include "alarmpacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace
{

constexpr std::int64_t kGapMs = 2000;
using Times = std::vector<std::int64_t>;

// When the sounds come for asks at these times (ms), with a timer that plays
// the waiting sound the moment it is due, as the alarm's does.
Times soundsFor(const Times &asks)
{
    AlarmPacing pacing(kGapMs);
    Times sounds;
    const auto playDueBy = [&](std::int64_t nowMs) {
        const std::int64_t due = pacing.waitingUntil();
        if (due != AlarmPacing::kNoneWaiting && due <= nowMs && pacing.takeDue(due))
            sounds.push_back(due);
    };
    for (std::int64_t at : asks) {
        playDueBy(at);
        if (pacing.ask(at))
            sounds.push_back(at);
    }
    playDueBy(std::numeric_limits<std::int64_t>::max());
    return sounds;
}

struct Case {
    const char *what;
    Times asks;
    Times sounds;
};

} // namespace

TEST(AlarmPacingTest, SoundsAtOnceOrAtTheGapsEndAndOnceForAllAsksInAGap)
{
    const Case cases[] = {
        {"the first ask, whenever it comes", {1000}, {1000}},
        {"an ask in the gap waits for its end", {1000, 1500}, {1000, 3000}},
        {"asks in one gap sound once more", {0, 500, 1000, 1999}, {0, 2000}},
        {"an ask at the gap's end", {0, 2000}, {0, 2000}},
        {"a delayed sound starts the next gap", {0, 500, 2500}, {0, 2000, 4000}},
        {"asks after a quiet time", {0, 3000, 3100}, {0, 3000, 5000}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(soundsFor(c.asks), c.sounds) << c.what;
}

TEST(AlarmPacingTest, TheWaitingSoundIsNeitherEarlyNorTwiceNorKeptWhenDropped)
{
    AlarmPacing pacing(kGapMs);
    ASSERT_TRUE(pacing.ask(0));
    EXPECT_FALSE(pacing.ask(500));
    EXPECT_EQ(pacing.waitingUntil(), kGapMs);
    EXPECT_FALSE(pacing.takeDue(kGapMs - 1));
    // A late timer: an ask after the gap joins the sound that waits.
    EXPECT_FALSE(pacing.ask(kGapMs + 100));
    EXPECT_TRUE(pacing.takeDue(kGapMs + 100));
    EXPECT_FALSE(pacing.takeDue(3 * kGapMs));
    EXPECT_EQ(pacing.waitingUntil(), AlarmPacing::kNoneWaiting);

    EXPECT_FALSE(pacing.ask(kGapMs + 200));
    pacing.dropWaiting();
    EXPECT_FALSE(pacing.takeDue(3 * kGapMs));
}
