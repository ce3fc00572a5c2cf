#include "demoscenario.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

class DemoScenarioTest : public ::testing::Test
{
protected:
    static bool samePicture(const TargetList &a, const TargetList &b)
    {
        if (a.size() != b.size())
            return false;
        for (int i = 0; i < a.size(); ++i) {
            if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].value != b[i].value)
                return false;
        }
        return true;
    }
};

TEST_F(DemoScenarioTest, SameSeedGivesTheSameTracksWhateverTheQueryPattern)
{
    DemoScenario often(42);
    DemoScenario rarely(42);
    for (int step = 0; step <= 400; ++step)
        often.targetsAt(step * 0.05);
    EXPECT_TRUE(samePicture(often.targetsAt(20.0), rarely.targetsAt(20.0)));
}

TEST_F(DemoScenarioTest, DifferentSeedsGiveDifferentTracks)
{
    DemoScenario one(1);
    DemoScenario two(2);
    EXPECT_FALSE(samePicture(one.targetsAt(5.0), two.targetsAt(5.0)));
}

TEST_F(DemoScenarioTest, DozenTargetsStayOnScreenAndSomeComeAndGo)
{
    DemoScenario scenario(7);
    std::set<int> counts;
    std::set<quint16> values;
    for (double t = 0; t < 300; t += 0.5) {
        const TargetList targets = scenario.targetsAt(t);
        counts.insert(targets.size());
        for (const SimTarget &target : targets) {
            values.insert(target.value);
            EXPECT_GE(target.x, -1e-6f);
            EXPECT_LE(target.x, 1.0f + 1e-6f);
            EXPECT_GE(target.y, -1e-6f);
            EXPECT_LE(target.y, 1.0f + 1e-6f);
        }
    }
    EXPECT_EQ(values.size(), 12u);
    EXPECT_EQ(*counts.rbegin(), 12) << "at some moment every target is on screen";
    EXPECT_LT(*counts.begin(), 12) << "crossing targets leave for a while";
}

} // namespace
