#include "loopbackserver.h"
#include "recording.h"
#include "simclient.h"
#include "simprocess.h"
#include "wireformat.h"

#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

constexpr int kExitFailure = 1;
constexpr int kEndWaitMs = 10000;
const QByteArray kEarlierRecording = "an earlier session, to be kept as it is";
const QByteArray kRequest(1, char(wire::kRequestByte));

// radar-sim --record as a user runs it, over a file that holds an earlier
// recording.
class RecorderProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kEarlierRecording);
    }

    QStringList recordTo(quint16 upstreamPort) const
    {
        return {"--record", path, "--upstream", "127.0.0.1:" + QString::number(upstreamPort)};
    }

    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    const QString path = dir.filePath("session.rec");
};

TEST_F(RecorderProgramTest, RecordingGrowsBesideTheFileAndReplacesItWithTheFirstFrame)
{
    SimProcess upstream({});
    ASSERT_NE(upstream.port(), 0);
    SimProcess proxy(recordTo(upstream.port()));
    ASSERT_NE(proxy.port(), 0) << proxy.errorOutput().toStdString();
    EXPECT_EQ(contents(), kEarlierRecording) << "listening, but no frame yet";
    EXPECT_EQ(files().size(), 2) << files().join(' ').toStdString();

    simtest::Client client;
    ASSERT_TRUE(client.connectTo(proxy.port()));
    client.send(kRequest);
    ASSERT_TRUE(client.waitForBytes(wire::kSizeFieldBytes));
    EXPECT_TRUE(waitUntil([&] { return contents().startsWith("RADARREC"); }));
    EXPECT_EQ(files(), QStringList{"session.rec"});

    proxy.stop();
    std::vector<RecordedFrame> frames;
    QString error;
    ASSERT_TRUE(Recording::load(path, frames, error)) << error.toStdString();
    EXPECT_GE(frames.size(), 1u);
}

TEST_F(RecorderProgramTest, FailedStartLeavesTheFileAsItWasAndNothingBesideIt)
{
    SimProcess upstream({});
    ASSERT_NE(upstream.port(), 0);
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
    const struct {
        const char *name;
        QStringList options;
        quint16 listenPort;
        bool clientComes;
        QString message; // on standard error, when it ends by itself
    } cases[] = {
        {"port in use", recordTo(upstream.port()), occupant.serverPort(), false,
         QStringLiteral("cannot listen on 127.0.0.1:%1").arg(occupant.serverPort())},
        {"upstream unreachable", recordTo(closedLoopbackPort()), 0, true,
         "radar-sim: nothing was recorded, and " + path + " was not touched\n"},
        {"stopped before the first frame", recordTo(upstream.port()), 0, false, QString()},
    };
    for (const auto &c : cases) {
        SimProcess proxy(c.options, c.listenPort);
        simtest::Client client;
        // The proxy may end before the connection is seen as made.
        if (c.clientComes)
            client.startConnecting(proxy.port());
        if (c.message.isEmpty()) {
            proxy.stop();
        } else {
            ASSERT_TRUE(proxy.waitForEnd(kEndWaitMs)) << c.name;
            EXPECT_TRUE(proxy.endedWith(kExitFailure)) << c.name;
            EXPECT_TRUE(proxy.errorOutput().contains(c.message))
                << c.name << ": " << proxy.errorOutput().toStdString();
        }
        EXPECT_EQ(contents(), kEarlierRecording) << c.name;
        EXPECT_EQ(files(), QStringList{"session.rec"}) << c.name;
    }
}

} // namespace
