#include "retryschedule.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RetryScheduleTest, WaitsDoubleFromOneSecondUpToTenAndStartOverAfterAHealthyConnection)
{
    RetrySchedule schedule;
    EXPECT_EQ(schedule.nextWaitMs(), 0);
    const std::vector<int> expected = {1000, 2000, 4000, 8000, 10000, 10000, 10000};
    for (int wait : expected) {
        schedule.recordFailure();
        EXPECT_EQ(schedule.nextWaitMs(), wait) << "after " << schedule.failuresInARow();
    }
    for (int i = 0; i < 100; ++i)
        schedule.recordFailure();
    EXPECT_EQ(schedule.nextWaitMs(), 10000);

    schedule.recordHealthyConnection();
    EXPECT_EQ(schedule.nextWaitMs(), 0);
    schedule.recordFailure();
    EXPECT_EQ(schedule.nextWaitMs(), 1000);
}

TEST(RetryScheduleTest, ACapOnlyShortensTheWaits)
{
    RetrySchedule capped(1500);
    RetrySchedule none(0);
    const std::vector<int> expected = {1000, 1500, 1500};
    for (int wait : expected) {
        capped.recordFailure();
        none.recordFailure();
        EXPECT_EQ(capped.nextWaitMs(), wait);
        EXPECT_EQ(none.nextWaitMs(), 0);
    }
}
