#include "frames.h"
#include "recording.h"
#include "recordingproxy.h"
#include "replayfeeder.h"
#include "scriptedscenario.h"
#include "simclient.h"
#include "simserver.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace
{

using namespace simtest;
using testframes::frame;
using testframes::word;

constexpr int kRequestIntervalMs = 40;
constexpr int kRequests = 12;
// Generous for a shared, busy test machine; frames are 40 ms apart.
constexpr qint64 kTimingToleranceMs = 35;

const QByteArray kRequest(1, char(wire::kRequestByte));

// The longest time this process's event loop did not run, which delays the
// in-process server's timers and the client's reads alike: on a busy machine
// the test process itself may not be scheduled for a tenth of a second, and
// a frame late by that is the machine's doing, not the replay's.
class StallWatch
{
public:
    static constexpr int kTickMs = 5;
    StallWatch()
    {
        QObject::connect(&ticker, &QTimer::timeout,
                         [this] { longest = std::max(longest, sinceTick.restart() - kTickMs); });
        sinceTick.start();
        ticker.start(kTickMs);
    }
    qint64 longestStallMs() const { return longest; }

private:
    QTimer ticker;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
};

struct Arrival {
    qint64 ms; // since the client connected
    QByteArray bytes;
};

// Cuts the client's stream into frames with the time each one completed.
struct FrameCollector {
    Client client;
    std::vector<Arrival> frames;

    bool connectTo(quint16 port)
    {
        client.onReceived = [this] { collect(); };
        return client.connectTo(port);
    }
    void collect()
    {
        const std::vector<testframes::WireFrame> all = testframes::splitFrames(client.received);
        for (size_t i = frames.size(); i < all.size(); ++i)
            frames.push_back({client.clock.elapsed(), all[i].bytes()});
    }
};

class RecordingProxyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // A target moving steadily, so that every frame differs from the last.
        ScriptedScenario::Script script;
        script.tracks.push_back({9, {{0, 0.0f, 0.0f}, {100, 1.0f, 0.5f}}});
        upstream =
            std::make_unique<SimServer>(std::make_unique<ScriptedScenario>(script), FaultOptions{});
        QString error;
        ASSERT_TRUE(upstream->listen(QHostAddress::LocalHost, 0, error));
    }

    // Runs a client through the proxy asking at the usual pace; returns what it got.
    std::vector<Arrival> recordSession(const QString &path)
    {
        RecordingProxy proxy(QStringLiteral("127.0.0.1"), upstream->port());
        QString error;
        EXPECT_TRUE(proxy.start(path, QHostAddress::LocalHost, 0, error)) << error.toStdString();
        FrameCollector collector;
        EXPECT_TRUE(collector.connectTo(proxy.port()));
        for (int i = 0; i < kRequests; ++i) {
            collector.client.send(kRequest);
            spinEvents(kRequestIntervalMs);
        }
        waitUntil([&] { return collector.frames.size() == kRequests; });
        EXPECT_EQ(proxy.stats().requests, kRequests);
        return collector.frames;
    }

    QTemporaryDir dir;
    std::unique_ptr<SimServer> upstream;
};

TEST_F(RecordingProxyTest, PassesFramesThroughUnchanged)
{
    const std::vector<Arrival> seen = recordSession(dir.filePath(QStringLiteral("p.rec")));
    ASSERT_EQ(seen.size(), static_cast<size_t>(kRequests));
    // The upstream's one target, and its first later frame's word.
    const int targets = 1;
    const quint16 upstreamWord = 1;
    EXPECT_EQ(seen[0].bytes.left(wire::kSizeFieldBytes),
              word(quint16(wire::bodyBytes(true, targets))))
        << "first frame, no extra word";
    EXPECT_EQ(seen[1].bytes.left(wire::kSizeFieldBytes + wire::kExtraWordBytes),
              word(quint16(wire::bodyBytes(false, targets))) + word(upstreamWord))
        << "later frame with the upstream's word";
    EXPECT_EQ(upstream->stats().requests, kRequests);
}

TEST_F(RecordingProxyTest, ReplayGivesTheSameFramesInOrderWithTheirTiming)
{
    const StallWatch stalls;
    const QString path = dir.filePath(QStringLiteral("session.rec"));
    const std::vector<Arrival> original = recordSession(path);
    ASSERT_EQ(original.size(), static_cast<size_t>(kRequests));

    std::vector<RecordedFrame> recording;
    QString error;
    ASSERT_TRUE(Recording::load(path, recording, error)) << error.toStdString();
    ASSERT_EQ(recording.size(), original.size());
    SimServer replay(std::move(recording), false, FaultOptions{});
    ASSERT_TRUE(replay.listen(QHostAddress::LocalHost, 0, error));
    FrameCollector collector;
    ASSERT_TRUE(collector.connectTo(replay.port()));
    ASSERT_TRUE(waitUntil([&] { return collector.frames.size() == original.size(); }));

    for (size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(collector.frames[i].bytes.toHex(), original[i].bytes.toHex()) << "frame " << i;
        const qint64 originalGap = original[i].ms - original[0].ms;
        const qint64 replayedGap = collector.frames[i].ms - collector.frames[0].ms;
        // Never early; late by no more than the process's own stalls allow.
        EXPECT_GE(replayedGap, originalGap - kTimingToleranceMs) << "frame " << i;
        EXPECT_LE(replayedGap, originalGap + kTimingToleranceMs + stalls.longestStallMs())
            << "frame " << i;
    }
    spinEvents(200);
    EXPECT_EQ(collector.frames.size(), original.size()) << "no loop unless asked";
}

TEST_F(RecordingProxyTest, LoopedReplayStartsOverWithAFreshLaterFrame)
{
    const wire::Record target{0.5f, 0.25f, 0x1234};
    const quint16 secondWord = 5;
    const std::vector<RecordedFrame> frames = {{0, 0, {{target.x, target.y, target.value}}},
                                               {30, secondWord, {}}};
    EXPECT_EQ(ReplayFeeder::cycleMilliseconds(frames), 60);
    SimServer replay(frames, true, FaultOptions{});
    QString error;
    ASSERT_TRUE(replay.listen(QHostAddress::LocalHost, 0, error));
    FrameCollector collector;
    ASSERT_TRUE(collector.connectTo(replay.port()));
    ASSERT_TRUE(waitUntil([&] { return collector.frames.size() >= 4; }));
    EXPECT_EQ(collector.frames[0].bytes.toHex(), frame(true, {target}).toHex());
    EXPECT_EQ(collector.frames[1].bytes.toHex(), frame(false, {}, -1, secondWord).toHex());
    EXPECT_EQ(collector.frames[2].bytes.toHex(), frame(false, {target}, -1, 0).toHex())
        << "the recorded first frame goes out again, now with its extra word";
    // The first frame may arrive some milliseconds late while the connection
    // settles (seen under emulation); a loop that did not wait out its cycle
    // would start over 30 ms early.
    constexpr qint64 kFirstArrivalSlackMs = 15;
    EXPECT_GE(collector.frames[2].ms - collector.frames[0].ms, 60 - kFirstArrivalSlackMs);
}

TEST_F(RecordingProxyTest, UnreachableUpstreamEndsTheClientConnection)
{
    RecordingProxy proxy(QStringLiteral("127.0.0.1"), closedLoopbackPort());
    QString error;
    ASSERT_TRUE(
        proxy.start(dir.filePath(QStringLiteral("none.rec")), QHostAddress::LocalHost, 0, error));
    Client client;
    client.startConnecting(proxy.port());
    EXPECT_TRUE(waitUntil([&] { return proxy.stats().accepted == 1; }));
    EXPECT_TRUE(client.waitForDisconnect());
    EXPECT_TRUE(waitUntil([&] { return proxy.stats().connections == 0; }));
    EXPECT_TRUE(client.received.isEmpty());
}

} // namespace
