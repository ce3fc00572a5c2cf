#include "scriptedscenario.h"

#include <gtest/gtest.h>

namespace
{

using Script = ScriptedScenario::Script;

class ScriptedScenarioTest : public ::testing::Test
{
protected:
    // One moving track (value 1) from t=2 to t=6 and one standing target (value 2).
    static Script twoTracks(double loopSeconds)
    {
        Script script;
        script.loopSeconds = loopSeconds;
        script.tracks.push_back({1, {{2, 0.0f, 0.0f}, {4, 1.0f, 0.5f}, {6, 1.0f, 1.0f}}});
        script.tracks.push_back({2, {{0, 0.25f, 0.75f}}});
        return script;
    }
};

TEST_F(ScriptedScenarioTest, MovesInStraightLinesBetweenWaypoints)
{
    ScriptedScenario scenario(twoTracks(10));
    const TargetList at3 = scenario.targetsAt(3.0);
    ASSERT_EQ(at3.size(), 2);
    EXPECT_EQ(at3[0].value, 1);
    EXPECT_NEAR(at3[0].x, 0.5f, 1e-6);
    EXPECT_NEAR(at3[0].y, 0.25f, 1e-6);
    const TargetList at5 = scenario.targetsAt(5.0);
    EXPECT_NEAR(at5[0].x, 1.0f, 1e-6);
    EXPECT_NEAR(at5[0].y, 0.75f, 1e-6);
    const TargetList atEnd = scenario.targetsAt(6.0);
    EXPECT_NEAR(atEnd[0].y, 1.0f, 1e-6);
}

TEST_F(ScriptedScenarioTest, TrackIsPresentOnlyBetweenItsFirstAndLastWaypoint)
{
    ScriptedScenario scenario(twoTracks(10));
    for (double t : {0.0, 1.9, 6.1, 9.9}) {
        const TargetList targets = scenario.targetsAt(t);
        ASSERT_EQ(targets.size(), 1) << t;
        EXPECT_EQ(targets[0].value, 2) << "the standing target stays, t=" << t;
        EXPECT_FLOAT_EQ(targets[0].x, 0.25f);
    }
    EXPECT_EQ(scenario.targetsAt(2.0).size(), 2);
}

TEST_F(ScriptedScenarioTest, StartsOverAfterTheLoopTime)
{
    ScriptedScenario scenario(twoTracks(10));
    const TargetList first = scenario.targetsAt(3.0);
    const TargetList again = scenario.targetsAt(23.0);
    ASSERT_EQ(again.size(), 2);
    EXPECT_NEAR(again[0].x, first[0].x, 1e-5);
    EXPECT_NEAR(again[0].y, first[0].y, 1e-5);
}

TEST_F(ScriptedScenarioTest, WithoutLoopTimeTheLastWaypointEndsThePass)
{
    ScriptedScenario scenario(twoTracks(0));
    EXPECT_DOUBLE_EQ(scenario.loopSeconds(), 6.0);
    const TargetList wrapped = scenario.targetsAt(6.0 + 3.0);
    ASSERT_EQ(wrapped.size(), 2);
    EXPECT_NEAR(wrapped[0].x, 0.5f, 1e-5);
}

TEST_F(ScriptedScenarioTest, StandingTargetsOnlyNeverDivideByZero)
{
    Script script;
    script.tracks.push_back({4, {{0, 0.5f, 0.5f}}});
    ScriptedScenario scenario(script);
    const TargetList targets = scenario.targetsAt(12.5);
    ASSERT_EQ(targets.size(), 1);
    EXPECT_FLOAT_EQ(targets[0].x, 0.5f);
}

} // namespace
