#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

constexpr int kTimeoutMs = 5000;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

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
