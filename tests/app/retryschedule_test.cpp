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

// A refusal costs the server nothing: every 2 s, however many, and without
// lengthening the back-off of the failures that do cost it.
TEST(RetryScheduleTest, RefusalsRetryEveryTwoSecondsBesideTheBackOff)
{
    RetrySchedule schedule;
    for (int i = 0; i < 20; ++i) {
        schedule.recordRefusal();
        EXPECT_EQ(schedule.nextWaitMs(), 2000);
    }
    schedule.recordFailure();
    EXPECT_EQ(schedule.nextWaitMs(), 1000);
    schedule.recordFailure();
    schedule.recordRefusal();
    EXPECT_EQ(schedule.nextWaitMs(), 2000);
    schedule.recordFailure();
    EXPECT_EQ(schedule.nextWaitMs(), 4000);
}

TEST(RetryScheduleTest, ACapOnlyShortensTheWaits)
{
    struct Case {
        int cap;
        std::vector<int> waits; // after one, two and three failures, then after a refusal
    };
    const Case cases[] = {
        {1500, {1000, 1500, 1500, 1500}},
        {0, {0, 0, 0, 0}},
        {20000, {1000, 2000, 4000, 2000}},
        {1000000, {1000, 2000, 4000, 2000}},
    };
    for (const Case &c : cases) {
        RetrySchedule schedule(c.cap);
        std::vector<int> waits;
        for (int i = 0; i < 3; ++i) {
            schedule.recordFailure();
            waits.push_back(schedule.nextWaitMs());
        }
        schedule.recordRefusal();
        waits.push_back(schedule.nextWaitMs());
        EXPECT_EQ(waits, c.waits) << "cap " << c.cap;
        for (int i = 0; i < 10; ++i)
            schedule.recordFailure();
        EXPECT_LE(schedule.nextWaitMs(), 10000) << "cap " << c.cap;
    }
}
