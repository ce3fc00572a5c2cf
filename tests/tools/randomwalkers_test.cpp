#include "randomwalkers.h"

#include <gtest/gtest.h>

namespace
{

class RandomWalkersTest : public ::testing::Test
{
};

TEST_F(RandomWalkersTest, SameSeedSameWalkWhateverTheQueryPattern)
{
    RandomWalkers often(50, 9);
    RandomWalkers once(50, 9);
    for (int i = 0; i < 300; ++i)
        often.targetsAt(i * 0.033);
    const TargetList a = often.targetsAt(10.0);
    const TargetList b = once.targetsAt(10.0);
    ASSERT_EQ(a.size(), 50);
    ASSERT_EQ(b.size(), 50);
    for (int i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].x, b[i].x) << i;
        EXPECT_EQ(a[i].y, b[i].y) << i;
    }
}

TEST_F(RandomWalkersTest, OtherSeedOtherWalk)
{
    RandomWalkers one(5, 1);
    RandomWalkers two(5, 2);
    EXPECT_NE(one.targetsAt(0)[0].x, two.targetsAt(0)[0].x);
}

TEST_F(RandomWalkersTest, WalkersStayInsideTheScreenAndMove)
{
    RandomWalkers walkers(1000, 4);
    const TargetList start = walkers.targetsAt(0);
    int moved = 0;
    for (double t = 0; t < 120; t += 1.0) {
        for (const SimTarget &w : walkers.targetsAt(t)) {
            ASSERT_GE(w.x, 0.0f);
            ASSERT_LE(w.x, 1.0f);
            ASSERT_GE(w.y, 0.0f);
            ASSERT_LE(w.y, 1.0f);
        }
    }
    const TargetList end = walkers.targetsAt(120);
    for (int i = 0; i < end.size(); ++i)
        moved += (end[i].x != start[i].x) ? 1 : 0;
    EXPECT_EQ(moved, 1000);
    EXPECT_EQ(end.front().value, 1);
    EXPECT_EQ(end.back().value, 1000);
}

} // namespace
