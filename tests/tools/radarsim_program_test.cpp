#include "recording.h"
#include "simclient.h"
#include "simprocess.h"
#include "wireformat.h"

#include <QBuffer>
#include <QDataStream>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

constexpr int kTimeoutMs = 5000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
const char kReplayEnd[] = "end of the replay for a client after 2 frames";

// A recording file's bytes: the header, then the frames.
QByteArray recordingOf(const std::vector<RecordedFrame> &frames)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    Recording::writeHeader(out);
    for (const RecordedFrame &frame : frames)
        Recording::writeFrame(out, frame);
    return bytes;
}

// Runs the built radar-sim program, as a user would.
class RadarSimProgramTest : public ::testing::Test
{
protected:
    // Runs to completion; returns the exit code, or -1 when it did not end.
    int run(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(RADAR_SIM_PROGRAM), arguments);
        const bool ended = process.waitForFinished(kTimeoutMs);
        output = QString::fromLocal8Bit(process.readAllStandardOutput());
        errors = QString::fromLocal8Bit(process.readAllStandardError());
        if (!ended)
            process.kill();
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString writeFile(const char *name, const QByteArray &contents)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }

    QTemporaryDir dir;
    QString output;
    QString errors;
};

TEST_F(RadarSimProgramTest, HelpListsOptionsAndSucceeds)
{
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(output.contains("--scenario"));
    EXPECT_TRUE(output.contains("--refuse"));
}

TEST_F(RadarSimProgramTest, VersionNamesTheProgramAndTheProjectsVersion)
{
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(output, QStringLiteral("radar-sim " RADAR_PROJECT_VERSION "\n"));
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

// The whole file is one unknown keyword: no blank and no line break in it.
TEST_F(RadarSimProgramTest, RecordingGivenAsScenarioIsQuotedWholeWithItsBytesEscaped)
{
    const QString path = writeFile("session.rec", recordingOf({{0, 0, {{0.5f, 0.25f, 7}}}}));
    EXPECT_EQ(run({"--scenario", path, "--port", "0"}), kExitFailure);
    EXPECT_EQ(errors, "radar-sim: " + path +
                          ":1: unknown keyword 'RADARREC\\x00\\x01\\x00\\x00\\x00\\x00\\x00\\x00"
                          "\\x00\\x01?\\x00\\x00\\x00>\\x80\\x00\\x00\\x00\\x07'\n");
}

// Without --loop the end is told once the last frame has gone; with it the
// recording starts over and nothing is said.
TEST_F(RadarSimProgramTest, EndOfAReplayIsToldUnlessItLoops)
{
    const QString path = writeFile("two.rec", recordingOf({{0, 0, {}}, {20, 1, {}}}));
    for (const bool loop : {false, true}) {
        SimProcess sim(loop ? QStringList{"--replay", path, "--loop"}
                            : QStringList{"--replay", path});
        ASSERT_NE(sim.port(), 0) << sim.errorOutput().toStdString();
        simtest::Client client;
        ASSERT_TRUE(client.connectTo(sim.port()));
        // Each frame, the first too, is at most this long.
        const int frameBytes = wire::kSizeFieldBytes + wire::bodyBytes(false, 0);
        if (loop) {
            EXPECT_TRUE(client.waitForBytes(3 * frameBytes)) << "the recording starts over";
            EXPECT_FALSE(sim.errorOutput().contains(kReplayEnd)) << sim.errorOutput().toStdString();
        } else {
            EXPECT_TRUE(waitUntil([&] { return sim.errorOutput().contains(kReplayEnd); }))
                << sim.errorOutput().toStdString();
            EXPECT_EQ(client.socket.state(), QAbstractSocket::ConnectedState);
        }
    }
}

TEST_F(RadarSimProgramTest, BadScenarioLineEndsWithFileLineAndFailure)
{
    const QString path = writeFile("bad.scn", "target 1\nat 0 0.5 0.5\nat 1 0.5\n");
    EXPECT_EQ(run({"--scenario", path, "--port", "0"}), kExitFailure);
    EXPECT_TRUE(errors.contains(path + ":3: expected 'at SECONDS X Y'")) << errors.toStdString();
}

TEST_F(RadarSimProgramTest, BrokenRecordingAndMissingFilesFail)
{
    const QString path = writeFile("bad.rec", "not a recording");
    EXPECT_EQ(run({"--replay", path, "--port", "0"}), kExitFailure);
    EXPECT_TRUE(errors.contains(path + ": not a radar-sim recording")) << errors.toStdString();
    EXPECT_EQ(run({"--scenario", dir.filePath("absent.scn"), "--port", "0"}), kExitFailure);
}

TEST_F(RadarSimProgramTest, UsageErrorsHaveTheirOwnStatus)
{
    EXPECT_EQ(run({"--targets", "1001"}), kExitUsage);
    EXPECT_TRUE(errors.contains("--targets")) << errors.toStdString();
}

TEST_F(RadarSimProgramTest, BusyPortIsReportedAsFailure)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
    EXPECT_EQ(run({"--port", QString::number(occupant.serverPort())}), kExitFailure);
    EXPECT_TRUE(errors.contains("cannot listen")) << errors.toStdString();
}

} // namespace
