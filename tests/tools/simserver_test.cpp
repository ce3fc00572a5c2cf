#include "frames.h"
#include "scriptedscenario.h"
#include "simclient.h"
#include "simserver.h"

#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

using namespace simtest;
using testframes::frame;
using testframes::splitFrames;
using testframes::WireFrame;
using testframes::word;

const QByteArray kRequest(1, char(wire::kRequestByte));
// The one standing target of the test world.
const wire::Record kTarget{0.5f, 0.25f, 0x1234};
const QByteArray kRecord = testframes::record(kTarget);
const QByteArray kFirstFrame = frame(true, {kTarget});

QByteArray laterFrame(quint16 word)
{
    return frame(false, {kTarget}, -1, word);
}

class SimServerTest : public ::testing::Test
{
protected:
    void start(const FaultOptions &faults = {})
    {
        ScriptedScenario::Script script;
        script.tracks.push_back({0x1234, {{0, 0.5f, 0.25f}}});
        server = std::make_unique<SimServer>(std::make_unique<ScriptedScenario>(script), faults);
        QString error;
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<SimServer> server;
};

TEST_F(SimServerTest, AnswersEachRequestFirstFrameWithoutExtraWordLaterWithIt)
{
    start();
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(kRequest);
    ASSERT_TRUE(client.waitForBytes(kFirstFrame.size()));
    EXPECT_EQ(client.received.toHex(), kFirstFrame.toHex());
    client.send(kRequest + kRequest);
    const QByteArray expected = kFirstFrame + laterFrame(1) + laterFrame(2);
    ASSERT_TRUE(client.waitForBytes(expected.size()));
    spinEvents(50);
    EXPECT_EQ(client.received.toHex(), expected.toHex());
    EXPECT_EQ(server->stats().requests, 3);
    EXPECT_EQ(server->stats().framesSent, 3);
}

TEST_F(SimServerTest, EveryConnectionStartsWithItsOwnFirstFrame)
{
    start();
    Client one;
    Client two;
    ASSERT_TRUE(one.connectTo(server->port()));
    one.send(kRequest + kRequest);
    ASSERT_TRUE(one.waitForBytes(kFirstFrame.size() + laterFrame(0).size()));
    ASSERT_TRUE(two.connectTo(server->port()));
    two.send(kRequest);
    ASSERT_TRUE(two.waitForBytes(kFirstFrame.size()));
    EXPECT_EQ(two.received.toHex(), kFirstFrame.toHex());
    EXPECT_TRUE(waitUntil([&] { return server->stats().connections == 2; }));
}

TEST_F(SimServerTest, OtherBytesAreCountedAndLeftUnanswered)
{
    start();
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(QByteArray::fromHex("01ff0203"));
    ASSERT_TRUE(client.waitForBytes(kFirstFrame.size()));
    spinEvents(100);
    EXPECT_EQ(client.received.toHex(), kFirstFrame.toHex());
    EXPECT_EQ(server->stats().requests, 1);
    EXPECT_EQ(server->stats().otherBytes, 3);
}

TEST_F(SimServerTest, ClientThatAsksButNeverReadsStopsGettingAnswers)
{
    ScriptedScenario::Script script;
    for (int i = 0; i < 1000; ++i)
        script.tracks.push_back({1, {{0, 0.5f, 0.5f}}});
    server =
        std::make_unique<SimServer>(std::make_unique<ScriptedScenario>(script), FaultOptions{});
    QString error;
    ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0, error));
    QTcpSocket greedy;
    greedy.setReadBufferSize(1); // takes nothing off the kernel's buffers
    greedy.connectToHost(QStringLiteral("127.0.0.1"), server->port());
    ASSERT_TRUE(waitUntil([&] { return greedy.state() == QAbstractSocket::ConnectedState; }));
    constexpr int kRequests = 3000; // 30 MB of frames if all were answered
    greedy.write(QByteArray(kRequests, char(wire::kRequestByte)));
    ASSERT_TRUE(waitUntil([&] { return server->stats().requests == kRequests; }, 10000));
    EXPECT_LT(server->stats().framesSent, kRequests / 2);
}

TEST_F(SimServerTest, ClosedConnectionsAreNoLongerCounted)
{
    start();
    {
        Client client;
        ASSERT_TRUE(client.connectTo(server->port()));
        ASSERT_TRUE(waitUntil([&] { return server->stats().connections == 1; }));
    }
    EXPECT_TRUE(waitUntil([&] { return server->stats().connections == 0; }));
    EXPECT_EQ(server->stats().accepted, 1);
}

TEST_F(SimServerTest, ByteDelaySendsTheSameFrameOneByteAtATime)
{
    constexpr int kDelayMs = 10;
    FaultOptions faults;
    faults.byteDelayMs = kDelayMs;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    int chunks = 0;
    QObject::connect(&client.socket, &QTcpSocket::readyRead, [&] { ++chunks; });
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    client.send(kRequest);
    ASSERT_TRUE(client.waitForBytes(kFirstFrame.size()));
    EXPECT_EQ(client.received.toHex(), kFirstFrame.toHex());
    // Timers fire late, never early: every byte waits its delay after the request.
    EXPECT_GE(sinceRequest.elapsed(), (kFirstFrame.size() - 1) * kDelayMs);
    EXPECT_GT(chunks, kFirstFrame.size() / 2);
}

TEST_F(SimServerTest, PairedFramesArriveTwoAtOnce)
{
    FaultOptions faults;
    faults.pairFrames = true;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(kRequest);
    spinEvents(150);
    EXPECT_TRUE(client.received.isEmpty()) << "the first frame waits for its partner";
    client.send(kRequest);
    const QByteArray pair = kFirstFrame + laterFrame(1);
    ASSERT_TRUE(client.waitForBytes(pair.size()));
    EXPECT_EQ(client.received.toHex(), pair.toHex());
    EXPECT_EQ(server->stats().framesSent, 2);
}

TEST_F(SimServerTest, OversizeCountSendsEveryAnnouncedRecord)
{
    FaultOptions faults;
    faults.oversizeCount = 1200;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(kRequest);
    const int frameBytes = wire::kSizeFieldBytes + wire::bodyBytes(true, faults.oversizeCount);
    ASSERT_TRUE(client.waitForBytes(frameBytes));
    spinEvents(50);
    EXPECT_EQ(client.received.size(), frameBytes);
    const int firstRecordAt = wire::kSizeFieldBytes + wire::kCountFieldBytes;
    EXPECT_EQ(client.received.left(firstRecordAt),
              word(quint16(wire::bodyBytes(true, faults.oversizeCount))) +
                  word(quint16(faults.oversizeCount)));
    EXPECT_EQ(client.received.mid(firstRecordAt, wire::kRecordBytes), kRecord)
        << "the real target comes first";
    EXPECT_EQ(client.received.right(wire::kWordBytes), word(0)) << "fillers carry value 0";
}

TEST_F(SimServerTest, ShortSizeFieldUnderstatesButTheWholeFrameIsSent)
{
    FaultOptions faults;
    faults.sizeShortfall = 5;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(kRequest);
    ASSERT_TRUE(client.waitForBytes(kFirstFrame.size()));
    spinEvents(50);
    const QByteArray understated =
        frame(true, {kTarget}, wire::bodyBytes(true, 1) - faults.sizeShortfall);
    EXPECT_EQ(client.received.toHex(), understated.toHex());
}

TEST_F(SimServerTest, CloseAfterEndsTheConnectionOnTime)
{
    FaultOptions faults;
    faults.closeAfterSeconds = 1;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    EXPECT_FALSE(client.waitForDisconnect(800));
    EXPECT_TRUE(client.waitForDisconnect(3000));
}

// With bytes trickling out, the reset cuts a frame short. A plain socket
// shows that it was a reset, not an orderly close, which Qt reports alike:
// after a reset the connection takes no more bytes, after a close the next
// write still goes out.
TEST_F(SimServerTest, ResetAfterCutsAFrameShortWithAReset)
{
    FaultOptions faults;
    faults.byteDelayMs = 20;
    faults.resetAfterMs = 200;
    start(faults);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(server->port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ASSERT_TRUE(waitUntil([&] { return ::send(fd, kRequest.constData(), 1, MSG_NOSIGNAL) == 1; }));
    int received = 0;
    const bool ended = waitUntil([&] {
        char bytes[64];
        const ssize_t n = ::recv(fd, bytes, sizeof bytes, 0);
        received += int(std::max<ssize_t>(n, 0));
        return n == 0 || (n < 0 && errno != EAGAIN);
    });
    const bool writable = ::send(fd, kRequest.constData(), 1, MSG_NOSIGNAL) == 1;
    ::close(fd);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(writable) << "closed, not reset";
    EXPECT_GT(received, 0);
    EXPECT_LT(received, kFirstFrame.size());
    EXPECT_TRUE(waitUntil([&] { return server->stats().connections == 0; }));
}

TEST_F(SimServerTest, FloodSendsFramesWithoutAnyRequest)
{
    FaultOptions faults;
    faults.floodIntervalMs = 10;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    ASSERT_TRUE(waitUntil([&] { return splitFrames(client.received).size() >= 5; }));
    const std::vector<WireFrame> frames = splitFrames(client.received);
    EXPECT_EQ(frames[0].bytes(), kFirstFrame);
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].bytes(), laterFrame(static_cast<quint16>(i)));
    EXPECT_EQ(server->stats().requests, 0);
}

TEST_F(SimServerTest, FloodLeavesRequestsUnanswered)
{
    FaultOptions faults;
    faults.floodIntervalMs = 400;
    start(faults);
    Client client;
    ASSERT_TRUE(client.connectTo(server->port()));
    client.send(kRequest + kRequest + kRequest);
    ASSERT_TRUE(waitUntil([&] { return server->stats().requests == 3; }));
    spinEvents(100);
    EXPECT_TRUE(client.received.isEmpty());
    ASSERT_TRUE(client.waitForBytes(kFirstFrame.size()));
    EXPECT_EQ(client.received.toHex(), kFirstFrame.toHex());
}

TEST_F(SimServerTest, RefuseClosesEveryConnectionBeforeAnyByte)
{
    FaultOptions faults;
    faults.refuse = true;
    start(faults);
    Client client;
    client.startConnecting(server->port());
    EXPECT_TRUE(waitUntil([&] { return server->stats().accepted == 1; }));
    EXPECT_TRUE(client.waitForDisconnect());
    EXPECT_TRUE(client.received.isEmpty());
    EXPECT_EQ(server->stats().connections, 0);
}

} // namespace
