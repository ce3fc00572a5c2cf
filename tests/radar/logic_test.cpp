#include "bearing.h"
#include "frames.h"
#include "logic.h"
#include "loopbackserver.h"
#include "radardriver.h"
#include "radargeometry.h"

#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using testframes::frame;
using testframes::Record;
using testframes::uniformFrame;

namespace
{

using radargeometry::kBeamHalfWidthDeg;
using radargeometry::kBeamSpeedDegPerSec;
using radargeometry::kFullTurnDeg;
using radargeometry::sceneOfWire;

// Scene units from the screen centre of the targets placed by bearing.
constexpr double kTargetRadius = 1.2;

Record targetAtBearing(double degrees)
{
    return radargeometry::targetAt(degrees, kTargetRadius);
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

class LogicFramesTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(driver.isConnected()); }

    void send(const QByteArray &bytes) { driver.server.send(bytes); }
    void settle() { spinEvents(30); }
    Logic &logic() { return driver.logic; }

    // The receive buffer is seen through the snapshot that a rebuild fills.
    std::vector<Target> latestFrame()
    {
        logic().rebuildTargets();
        std::vector<Target> out;
        for (int i = 0; i < logic().targetCount(); ++i)
            out.push_back(*logic().target(i));
        return out;
    }

    RadarDriver driver;
};

TEST_F(LogicFramesTest, FirstFrameFillsBothSnapshotsAtOnce)
{
    send(frame(true, {{0.1f, 0.2f, 1}, {0.3f, 0.4f, 2}, {0.5f, 0.6f, 3}}));
    ASSERT_TRUE(waitUntil([&] { return logic().targetCount() == 3; }));
    for (int snapshot = 0; snapshot < 2; ++snapshot) {
        ASSERT_EQ(logic().targetCount(), 3);
        EXPECT_FLOAT_EQ(logic().target(2)->x, 0.5f);
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(logic().target(i)->hit);
        logic().rebuildTargets();
    }
}

TEST(LogicSplitTest, ParsesFrameSplitAtEveryByte)
{
    const QByteArray whole = frame(true, {{0.25f, 0.75f, 9}, {0.5f, 0.125f, 4}});
    for (int cut = 1; cut < whole.size(); ++cut) {
        RadarDriver driver;
        ASSERT_TRUE(driver.isConnected());
        driver.server.send(whole.left(cut));
        spinEvents(15);
        EXPECT_EQ(driver.logic.targetCount(), 0) << "parsed early at cut " << cut;
        driver.server.send(whole.mid(cut));
        ASSERT_TRUE(waitUntil([&] { return driver.logic.targetCount() == 2; })) << "cut " << cut;
        EXPECT_FLOAT_EQ(driver.logic.target(1)->y, 0.125f);
    }
}

TEST_F(LogicFramesTest, ParsesEveryBufferedFrameAndKeepsTheNewest)
{
    QByteArray burst = frame(true, {{0.1f, 0.1f, 1}});
    for (int n = 2; n <= 6; ++n)
        burst += uniformFrame(false, n, 0.1f * n, 0.2f);
    send(burst);
    settle();
    EXPECT_EQ(logic().bufferedBytes(), 0);
    const std::vector<Target> got = latestFrame();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_FLOAT_EQ(got[5].x, 0.6f);
}

// A new connection after an outage starts afresh: nothing that came over the
// lost one makes a hit or stays in the stream, and its first frame is read
// without the extra word. Hits already made stay to fade.
TEST_F(LogicFramesTest, ConnectingAgainForgetsTheLostConnection)
{
    const Record lost = targetAtBearing(45.0);
    const Record found = targetAtBearing(225.0);
    send(frame(true, {lost}) + frame(false, {lost}).left(5));
    ASSERT_TRUE(waitUntil([&] { return logic().targetCount() == 1; }));
    driver.turnBeamTo(45.0);
    logic().update(0.0);
    ASSERT_EQ(logic().hits()->size(), 1u);

    LoopbackServer next;
    logic().startConnecting("127.0.0.1", next.port());
    EXPECT_EQ(logic().targetCount(), 0);
    EXPECT_FALSE(logic().hasFrame());
    ASSERT_TRUE(next.acceptClient());
    ASSERT_TRUE(waitUntil([&] { return logic().isConnected(); }));
    logic().rebuildTargets();
    driver.turnBeamTo(46.0);
    logic().update(0.0);
    EXPECT_EQ(logic().hits()->size(), 1u) << "a target of the lost connection was hit";

    next.send(frame(true, {found}));
    ASSERT_TRUE(waitUntil([&] { return logic().hasFrame(); }));
    ASSERT_EQ(logic().targetCount(), 1);
    EXPECT_FLOAT_EQ(logic().target(0)->x, found.x);
    EXPECT_FLOAT_EQ(logic().target(0)->y, found.y);
}

TEST(LogicSnapshotTest, RebuildBeforeAnyFrameLeavesNoTargets)
{
    Logic logic;
    logic.rebuildTargets();
    EXPECT_EQ(logic.targetCount(), 0);
}

TEST_F(LogicFramesTest, FloodIsDrainedWithinTheReadBufferBound)
{
    send(frame(true, {}));
    settle();
    QByteArray flood;
    for (int i = 0; flood.size() < 16 * 1024 * 1024; ++i)
        flood += uniformFrame(false, MaxTargets, 0.5f, 0.5f);
    flood += uniformFrame(false, 3, 0.25f, 0.75f);
    send(flood);
    qint64 most = 0;
    // A busy GUI thread: data piles up between short bursts of event handling.
    const bool drained = waitUntil(
        [&] {
            QThread::msleep(20);
            most = std::max(most, logic().bufferedBytes());
            return driver.server.allSent() && logic().bufferedBytes() == 0;
        },
        20000);
    EXPECT_TRUE(drained);
    EXPECT_LE(most, 1 << 20);
    EXPECT_EQ(latestFrame().size(), 3u);
}

class PacingTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(driver.isConnected()); }

    // Number of request bytes the server has seen after each of n ticks.
    std::vector<int> requestsAfterTicks(double dt, int n)
    {
        std::vector<int> seen;
        QByteArray all;
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(driver.logic.tick(dt));
            spinEvents(5);
            all += driver.server.receivedBytes();
            seen.push_back(all.size());
        }
        for (char byte : all)
            EXPECT_EQ(quint8(byte), wire::kRequestByte);
        return seen;
    }

    RadarDriver driver;
};

TEST_F(PacingTest, RequestGoesOutOnEveryThirdTick)
{
    EXPECT_EQ(requestsAfterTicks(0.02, 9), (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 3}));
    EXPECT_EQ(requestsAfterTicks(0.016, 6), (std::vector<int>{0, 0, 1, 1, 1, 2}));
}

TEST_F(PacingTest, LostConnectionIsReportedOnlyWhenARequestFallsDue)
{
    driver.logic.tick(0.05); // a request goes out, the count starts anew
    driver.server.dropClient();
    spinEvents(50);
    EXPECT_TRUE(driver.logic.tick(0.02));
    const double beam = driver.logic.beamAngle();
    EXPECT_FALSE(driver.logic.tick(0.03));
    EXPECT_DOUBLE_EQ(driver.logic.beamAngle(), beam);
    EXPECT_FALSE(driver.logic.tick(0.02));
}

TEST(BeamTest, NormalizeFoldsIntoZeroToThreeSixtyInclusive)
{
    const std::vector<std::pair<double, double>> cases = {
        {370.0, 10.0}, {360.0, 360.0}, {725.0, 5.0}, {-10.0, 350.0}, {0.0, 0.0}, {-720.0, 0.0}};
    for (auto [in, expected] : cases) {
        double angle = in;
        Logic::normalizeAngle(angle);
        EXPECT_DOUBLE_EQ(angle, expected) << in;
    }
}

TEST(BeamTest, TickAdvancesAndFoldsTheBeam)
{
    RadarDriver driver;
    ASSERT_TRUE(driver.isConnected());
    driver.logic.tick(350.0 / kBeamSpeedDegPerSec);
    EXPECT_DOUBLE_EQ(driver.logic.beamAngle(), 350.0);
    driver.logic.tick(0.25);
    EXPECT_DOUBLE_EQ(driver.logic.beamAngle(), 10.0);
}

class HitScanTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(driver.isConnected()); }

    // Lines printed by one update.
    std::vector<std::string> updateLines(double dt)
    {
        testing::internal::CaptureStdout();
        driver.update(dt);
        return linesOf(testing::internal::GetCapturedStdout());
    }

    std::vector<std::string> hitLines(double dt)
    {
        std::vector<std::string> out;
        for (const std::string &line : updateLines(dt))
            if (line != "build")
                out.push_back(line);
        return out;
    }

    RadarDriver driver;
};

TEST_F(HitScanTest, BearingsFollowTheScreenConvention)
{
    struct Case {
        float x, y;
        double beam;
        const char *printed;
    };
    const std::vector<Case> cases = {{0.5f, 0.0f, 0.0, "0"},        {1.0f, 0.0f, 45.0, "45"},
                                     {1.0f, 0.5f, 90.0, "89.9999"}, {0.5f, 1.0f, 180.0, "180"},
                                     {0.0f, 0.5f, 270.0, "270"},    {0.0f, 0.0f, 315.0, "315"}};
    for (const Case &c : cases) {
        RadarDriver one;
        ASSERT_TRUE(one.isConnected());
        ASSERT_TRUE(one.sendTargets({{c.x, c.y, 1}}));
        one.turnBeamTo(c.beam);
        testing::internal::CaptureStdout();
        one.update(0.0);
        const std::vector<std::string> lines = linesOf(testing::internal::GetCapturedStdout());
        ASSERT_EQ(lines.size(), 2u) << c.x << "," << c.y;
        const std::string tail = std::string(" alpha: ") + c.printed;
        EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail) << lines[1];
        ASSERT_EQ(one.logic.hits()->size(), 1u);
        EXPECT_FLOAT_EQ(one.logic.hits()->front().x, sceneOfWire(c.x));
        EXPECT_FLOAT_EQ(one.logic.hits()->front().y, sceneOfWire(c.y));
    }
}

TEST_F(HitScanTest, HitLineHasTheExactForm)
{
    ASSERT_TRUE(driver.sendTargets({{1.0f, 0.5f, 1}}));
    driver.turnBeamTo(87.36);
    EXPECT_EQ(updateLines(0.0),
              (std::vector<std::string>{"build", "hit @ green: 87.36 alpha: 89.9999"}));
}

TEST_F(HitScanTest, CentreTargetIsNeverHit)
{
    ASSERT_TRUE(driver.sendTargets({{0.5f, 0.5f, 1}}));
    for (double beam : {0.0, 90.0, 180.0, 270.0, 359.0}) {
        driver.turnBeamTo(beam);
        EXPECT_TRUE(hitLines(0.0).empty());
    }
}

TEST_F(HitScanTest, BeamHalfWidthIncludesFiveDegreesExactly)
{
    ASSERT_TRUE(driver.sendTargets({{0.5f, 1.0f, 1}})); // bearing exactly 180
    driver.turnBeamTo(174.9999);
    EXPECT_TRUE(hitLines(0.0).empty());
    driver.turnBeamTo(175.0);
    EXPECT_EQ(hitLines(0.0).size(), 1u);
}

TEST_F(HitScanTest, NoWrapAroundAtZero)
{
    ASSERT_TRUE(driver.sendTargets({targetAtBearing(358.0)}));
    driver.turnBeamTo(2.0);
    EXPECT_TRUE(hitLines(0.0).empty());
    driver.turnBeamTo(355.0);
    EXPECT_EQ(hitLines(0.0).size(), 1u);
}

TEST_F(HitScanTest, MarkedTargetIsSkippedAndLaterTargetsStillScanned)
{
    ASSERT_TRUE(driver.sendTargets({targetAtBearing(180.0), targetAtBearing(186.0)}));
    driver.turnBeamTo(178.0);
    EXPECT_EQ(hitLines(0.0).size(), 1u);
    driver.turnBeamTo(182.0); // both within 5 degrees now; only the second is new
    EXPECT_EQ(hitLines(0.01).size(), 1u);
    EXPECT_EQ(driver.logic.hits()->size(), 2u);
    EXPECT_TRUE(hitLines(0.01).empty());
}

TEST_F(HitScanTest, RebuildWhileOnTheTargetHitsItAgain)
{
    ASSERT_TRUE(driver.sendTargets({targetAtBearing(90.0)}));
    driver.turnBeamTo(90.0);
    EXPECT_EQ(hitLines(0.0).size(), 1u);
    EXPECT_TRUE(hitLines(0.5).empty());
    EXPECT_EQ(hitLines(0.25).size(), 1u); // the countdown ran out: fresh flags
}

TEST_F(HitScanTest, RebuildsEverySevenTenthsOfASecond)
{
    std::vector<int> builds;
    for (int n = 1; n <= 19; ++n) {
        const std::vector<std::string> lines = updateLines(0.125);
        if (!lines.empty() && lines.front() == "build")
            builds.push_back(n);
    }
    EXPECT_EQ(builds, (std::vector<int>{1, 7, 13, 19}));
}

TEST_F(HitScanTest, HitsAgeInOrderAndExpire)
{
    ASSERT_TRUE(driver.sendTargets({targetAtBearing(100.0), targetAtBearing(120.0)}));
    driver.turnBeamTo(100.0);
    driver.update(0.5);
    driver.turnBeamTo(120.0);
    driver.update(0.0);
    driver.turnBeamTo(300.0); // far from both
    std::vector<std::vector<float>> lives;
    for (int n = 0; n < 4; ++n) {
        std::vector<float> now;
        for (const Hit &hit : *driver.logic.hits())
            now.push_back(hit.life);
        lives.push_back(now);
        driver.update(0.5);
    }
    EXPECT_EQ(lives,
              (std::vector<std::vector<float>>{{1.5f, 2.0f}, {1.0f, 1.5f}, {0.5f, 1.0f}, {0.5f}}));
    EXPECT_TRUE(driver.logic.hits()->empty());
}

// The scan after a long tick: targets the beam passed since the previous scan
// are hit too, so that none is lost when frames come slowly.
namespace
{

constexpr int kRingTargets = 72; // one every 5 degrees

// count targets spread evenly round the screen, the first at bearing 0.
std::vector<Record> ring(int count)
{
    std::vector<Record> targets;
    for (int i = 0; i < count; ++i)
        targets.push_back(targetAtBearing(kFullTurnDeg * i / count));
    return targets;
}

// Index in a ring of count targets of the target that a hit line names.
int ringIndexOf(const std::string &hitLine, int count)
{
    const std::string alpha = " alpha: ";
    const double bearing = std::stod(hitLine.substr(hitLine.find(alpha) + alpha.size()));
    return int(std::lround(bearing * count / kFullTurnDeg)) % count;
}

// A frame-timer tick as the window runs it, tick then update; the lines printed.
std::vector<std::string> frameLines(RadarDriver &driver, double dt)
{
    EXPECT_TRUE(driver.logic.tick(dt));
    testing::internal::CaptureStdout();
    driver.update(dt);
    return linesOf(testing::internal::GetCapturedStdout());
}

// Hits per target of a ring in each whole turn of ticks of dt, after a first
// scan with the beam at phase degrees and a first turn that is not counted:
// the first scan's window may have taken some targets of the first turn.
std::vector<std::vector<int>> ringHitsPerTurn(double dt, double phase, int turns)
{
    RadarDriver driver;
    EXPECT_TRUE(driver.isConnected());
    EXPECT_TRUE(driver.sendTargets(ring(kRingTargets)));
    driver.turnBeamTo(phase);
    frameLines(driver, 0.0);
    const int ticksPerTurn = int(std::lround(kFullTurnDeg / (dt * kBeamSpeedDegPerSec)));
    std::vector<std::vector<int>> counts;
    for (int turn = 0; turn <= turns; ++turn) {
        std::vector<int> count(kRingTargets, 0);
        for (int tick = 0; tick < ticksPerTurn; ++tick)
            for (const std::string &line : frameLines(driver, dt))
                if (line != "build")
                    ++count[size_t(ringIndexOf(line, kRingTargets))];
        for (int n : count)
            EXPECT_LE(n, 1) << "in the first turn";
        counts.push_back(count);
    }
    counts.erase(counts.begin());
    return counts;
}

} // namespace

TEST(HitSweepTest, SlowTicksHitEveryRingTargetOncePerTurnAcrossTheSeam)
{
    // A turn takes 4.5 s and the snapshot is renewed every 0.7 s, so no hit
    // flag outlives a turn: every target must be hit in every turn. Only once,
    // because at more than 10 degrees a tick the stretches that successive
    // scans look at follow one another without overlapping. The phases land
    // the beam on 360, just past the seam and just short of it.
    const std::vector<std::vector<int>> oncePerTurn(2, std::vector<int>(kRingTargets, 1));
    for (double dt : {0.25, 0.5})
        for (double phase : {0.0, 3.0, 7.5, 357.5})
            EXPECT_EQ(ringHitsPerTurn(dt, phase, 2), oncePerTurn) << dt << " s from " << phase;
}

TEST(HitSweepTest, TenDegreeTicksReachTheTargetsOnTheSeam)
{
    // From 357.5 to 7.5 neither window reaches bearing 0: the one at 357.5
    // does not wrap, the one at 7.5 starts at 2.5.
    const std::vector<std::vector<int>> oncePerTurn(2, std::vector<int>(kRingTargets, 1));
    EXPECT_EQ(ringHitsPerTurn(0.125, 7.5, 2), oncePerTurn);
}

TEST(HitSweepTest, FirstScanLooksOnlyAtTheWindow)
{
    RadarDriver driver;
    ASSERT_TRUE(driver.isConnected());
    ASSERT_TRUE(driver.sendTargets(ring(kRingTargets)));
    driver.turnBeamTo(180.0);
    std::vector<int> hit;
    for (const std::string &line : frameLines(driver, 0.0))
        if (line != "build")
            hit.push_back(ringIndexOf(line, kRingTargets));
    EXPECT_EQ(hit, (std::vector<int>{35, 36, 37})); // bearings 175, 180, 185
}

TEST(HitSweepTest, TickOfAWholeTurnOrMoreCoversTheCircle)
{
    for (double dt : {4.5, 5.0, 11.0}) {
        RadarDriver driver;
        ASSERT_TRUE(driver.isConnected());
        ASSERT_TRUE(driver.sendTargets(ring(kRingTargets)));
        driver.turnBeamTo(100.0);
        frameLines(driver, 0.0);
        std::vector<int> count(kRingTargets, 0);
        for (const std::string &line : frameLines(driver, dt))
            if (line != "build")
                ++count[size_t(ringIndexOf(line, kRingTargets))];
        EXPECT_EQ(count, std::vector<int>(kRingTargets, 1)) << dt;
    }
}

TEST(HitSweepTest, SmallTicksDecideAsTheWindowAlone)
{
    // The window rule on its own, with the hit flags that each rebuild clears:
    // what the scan did before it looked behind the beam.
    std::vector<Record> targets;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(0.0f, 1.0f);
    for (int i = 0; i < MaxTargets; ++i)
        targets.push_back({coordinate(random), coordinate(random), 1});
    std::vector<float> bearings;
    for (const Record &t : targets)
        bearings.push_back(bearingOf(sceneOfWire(t.x), sceneOfWire(t.y)));

    // Ticks of up to 5 degrees for whole turns, seam included; up to 10
    // degrees on a stretch clear of it, where the windows alone miss nothing.
    struct Run {
        double dt, from, degrees;
    };
    for (const Run &run : {Run{0.02, 0.0, 800.0}, Run{0.05, 0.0, 800.0}, Run{0.0625, 1.0, 800.0},
                           Run{0.1, 20.0, 320.0}, Run{0.125, 17.0, 320.0}}) {
        RadarDriver driver;
        ASSERT_TRUE(driver.isConnected());
        ASSERT_TRUE(driver.sendTargets(targets));
        driver.turnBeamTo(run.from);
        std::vector<bool> flagged(targets.size(), false);
        for (double turned = 0.0; turned < run.degrees; turned += run.dt * kBeamSpeedDegPerSec) {
            const std::vector<std::string> lines = frameLines(driver, run.dt);
            std::vector<std::string> expected;
            if (!lines.empty() && lines.front() == "build") {
                expected.push_back("build");
                flagged.assign(targets.size(), false);
            }
            const double beam = driver.logic.beamAngle();
            for (size_t i = 0; i < targets.size(); ++i) {
                if (flagged[i] || !(std::fabs(double(bearings[i]) - beam) <= kBeamHalfWidthDeg))
                    continue;
                flagged[i] = true;
                std::ostringstream line;
                line << "hit @ green: " << beam << " alpha: " << double(bearings[i]);
                expected.push_back(line.str());
            }
            ASSERT_EQ(lines, expected) << run.dt << " s ticks, beam " << beam;
        }
    }
}

TEST(HitSweepTest, NoTargetIsHitTwiceBetweenRebuilds)
{
    // Ticks of random length, long and short, over many turns: the hit flag
    // still allows one hit per target per snapshot, and none is missed.
    RadarDriver driver;
    ASSERT_TRUE(driver.isConnected());
    constexpr int kTargets = 360;
    ASSERT_TRUE(driver.sendTargets(ring(kTargets)));
    std::mt19937 random(11);
    std::uniform_real_distribution<double> tickSeconds(0.001, 0.6);
    std::vector<int> inPeriod(kTargets, 0);
    std::vector<int> total(kTargets, 0);
    double turned = 0.0;
    while (turned < 20 * kFullTurnDeg) {
        const double dt = tickSeconds(random);
        turned += dt * kBeamSpeedDegPerSec;
        for (const std::string &line : frameLines(driver, dt)) {
            if (line == "build") {
                inPeriod.assign(kTargets, 0);
                continue;
            }
            const int target = ringIndexOf(line, kTargets);
            ASSERT_EQ(++inPeriod[size_t(target)], 1) << line;
            ++total[size_t(target)];
        }
    }
    for (int i = 0; i < kTargets; ++i)
        EXPECT_GE(total[size_t(i)], 19) << "target at bearing " << i;
}
