#include "logic.h"
#include "loopbackserver.h"
#include "scriptedscenario.h"
#include "simserver.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// A frame tick a little over the client's request pace, so every tick asks.
constexpr double kTickSeconds = 0.05;

// The client's own radar logic against the simulator on loopback.
class LogicLinkTest : public ::testing::Test
{
protected:
    void serve(std::unique_ptr<SimServer> s)
    {
        server = std::move(s);
        QString error;
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
        ASSERT_TRUE(logic.connectToServer(QStringLiteral("127.0.0.1"), server->port()));
    }

    static std::unique_ptr<SimServer> standing(const TargetList &targets,
                                               const FaultOptions &faults = {})
    {
        ScriptedScenario::Script script;
        for (const SimTarget &t : targets)
            script.tracks.push_back({t.value, {{0, t.x, t.y}}});
        return std::make_unique<SimServer>(std::make_unique<ScriptedScenario>(script), faults);
    }

    void expectTargets(const TargetList &expected)
    {
        ASSERT_EQ(logic.targetCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(logic.target(i)->x, expected[i].x) << i;
            EXPECT_EQ(logic.target(i)->y, expected[i].y) << i;
        }
    }

    std::unique_ptr<SimServer> server;
    Logic logic;
};

TEST_F(LogicLinkTest, FirstFrameGivesTheClientTheServedTargets)
{
    const TargetList targets = {{0.1f, 0.9f, 1}, {0.5f, 0.5f, 2}, {0.75f, 0.2f, 3}};
    serve(standing(targets));
    ASSERT_TRUE(logic.tick(kTickSeconds));
    ASSERT_TRUE(waitUntil([&] { return logic.targetCount() == targets.size(); }));
    expectTargets(targets);
}

TEST_F(LogicLinkTest, ThousandTargetsArriveWhole)
{
    TargetList targets;
    for (int i = 0; i < MaxTargets; ++i)
        targets.append({(i % 40) / 40.0f, (i / 40) / 25.0f, static_cast<quint16>(i)});
    serve(standing(targets));
    ASSERT_TRUE(logic.tick(kTickSeconds));
    ASSERT_TRUE(waitUntil([&] { return logic.targetCount() == MaxTargets; }));
    expectTargets(targets);
}

TEST_F(LogicLinkTest, LaterFramesWithTheExtraWordAreReadInStep)
{
    const TargetList first = {{0.2f, 0.3f, 1}, {0.4f, 0.5f, 2}, {0.6f, 0.7f, 3}};
    const TargetList second = {{0.9f, 0.1f, 4}, {0.15f, 0.85f, 5}};
    serve(std::make_unique<SimServer>(
        std::vector<RecordedFrame>{{0, 0, first}, {50, 0xFFFF, second}}, false, FaultOptions{}));
    ASSERT_TRUE(waitUntil([&] { return logic.targetCount() == first.size(); }));
    expectTargets(first);
    spinEvents(150);
    logic.update(kTickSeconds); // the first update renews the snapshot from the last frame
    expectTargets(second);
}

TEST_F(LogicLinkTest, OversizedFramesAreConsumedWholeSoTheNextOneStillParses)
{
    FaultOptions faults;
    faults.oversizeCount = 1200;
    const TargetList targets = {{0.3f, 0.6f, 1}};
    serve(standing(targets, faults));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(logic.tick(kTickSeconds));
        spinEvents(60);
    }
    ASSERT_TRUE(waitUntil([&] { return server->stats().framesSent == 3; }));
    spinEvents(100);
    logic.update(kTickSeconds);
    ASSERT_EQ(logic.targetCount(), MaxTargets);
    EXPECT_EQ(logic.target(0)->x, 0.3f) << "a misread later frame would scramble the records";
    EXPECT_EQ(logic.target(0)->y, 0.6f);
}

} // namespace
