#include "frames.h"
#include "loopbackserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace
{

constexpr int kRunLimitMs = 20000;

// Targets spread around the screen centre, so that the beam passes one often.
std::vector<testframes::Record> ringOfTargets()
{
    std::vector<testframes::Record> ring;
    for (int i = 0; i < 12; ++i) {
        const double angle = i * M_PI / 6.0;
        ring.push_back({float(0.5 + 0.3 * std::sin(angle)), float(0.5 - 0.3 * std::cos(angle)), 1});
    }
    return ring;
}

// Runs the real client binary in a working directory of its own.
class ClientProcessTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QFile::link(QStringLiteral(RADAR_SOURCE_DIR "/textures"), dir.filePath("textures"));
        // The models are linked one by one, so that a test can take one away.
        QDir(dir.path()).mkdir("mdl");
        const QDir models(QStringLiteral(RADAR_SOURCE_DIR "/mdl"));
        for (const QString &name : models.entryList(QDir::Files))
            QFile::link(models.filePath(name), dir.filePath("mdl/" + name));
        client.setWorkingDirectory(dir.path());
    }

    void writeSettings(const QString &body)
    {
        QFile file(dir.filePath("clientSettings.xml"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(("<settings>" + body + "</settings>").toUtf8());
    }

    // Answers each request byte with a frame of the ring until the client ends.
    void serveUntilFinished()
    {
        bool accepted = false;
        bool first = true;
        waitUntil(
            [&] {
                if (!accepted)
                    accepted = server.acceptClient(1);
                if (accepted) {
                    for (int n = server.receivedBytes().count(char(0x02)); n > 0; --n) {
                        server.send(testframes::frame(first, ringOfTargets()));
                        first = false;
                    }
                }
                return client.state() == QProcess::NotRunning;
            },
            kRunLimitMs);
    }

    QStringList outputLines()
    {
        return QString::fromUtf8(client.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    LoopbackServer server;
    QProcess client;
};

} // namespace

TEST_F(ClientProcessTest, RunsAgainstAServerAndReportsBuildsAndHits)
{
    writeSettings(QString("<host>127.0.0.1</host><port>%1</port><timeToLive>5</timeToLive>")
                      .arg(server.port()));
    client.start(RADAR_CLIENT_BINARY, QStringList());
    ASSERT_TRUE(client.waitForStarted());
    serveUntilFinished();
    ASSERT_EQ(client.state(), QProcess::NotRunning);
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client.exitCode(), 0);

    const QStringList lines = outputLines();
    const QRegularExpression hitLine("^hit @ green: [0-9.e+-]+ alpha: [0-9.e+-]+$");
    int builds = 0;
    int hits = 0;
    for (const QString &line : lines) {
        if (line == "build")
            ++builds;
        else if (hitLine.match(line).hasMatch())
            ++hits;
    }
    // At least 3 s of running even when start-up is slow (sanitizers, a busy
    // machine): a rebuild every 0.7 s, and more than half a turn.
    EXPECT_GE(builds, 3);
    EXPECT_GE(hits, 4);
    const QByteArray errors = client.readAllStandardError();
    // Every texture and model was found in the working directory.
    EXPECT_EQ(errors.count("cannot read"), 0);
    // The view kept its fixed scene: the renderer copies it back exactly.
    EXPECT_EQ(errors.count("SceneCache"), 0) << errors.toStdString();
}

TEST_F(ClientProcessTest, WithoutFramebufferObjectsTheWholeSceneIsDrawnAndSaidOnce)
{
    writeSettings(QString("<host>127.0.0.1</host><port>%1</port><timeToLive>3</timeToLive>")
                      .arg(server.port()));
    // Mesa's software renderer, made to offer an OpenGL without them.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MESA_GL_VERSION_OVERRIDE", "2.1");
    environment.insert("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object "
                                                  "-GL_EXT_framebuffer_object "
                                                  "-GL_EXT_framebuffer_blit");
    client.setProcessEnvironment(environment);
    client.start(RADAR_CLIENT_BINARY, QStringList());
    ASSERT_TRUE(client.waitForStarted());
    serveUntilFinished();
    ASSERT_EQ(client.state(), QProcess::NotRunning);
    EXPECT_EQ(client.exitCode(), 0);
    const QByteArray errors = client.readAllStandardError();
    EXPECT_EQ(errors.count("SceneCache: this OpenGL has no framebuffer objects with blits;"
                           " the whole scene is drawn every frame\n"),
              1)
        << errors.toStdString();
    EXPECT_TRUE(outputLines().contains("build"));
}

TEST_F(ClientProcessTest, MissingModelEndsWithTheModelLibrarysMessage)
{
    QFile::remove(dir.filePath("mdl/radartisch.obj"));
    writeSettings(QString("<host>127.0.0.1</host><port>%1</port><timeToLive>10</timeToLive>")
                      .arg(server.port()));
    client.start(RADAR_CLIENT_BINARY, QStringList());
    ASSERT_TRUE(client.waitForStarted());
    serveUntilFinished();
    ASSERT_EQ(client.state(), QProcess::NotRunning);
    EXPECT_EQ(client.exitCode(), 1);
    EXPECT_TRUE(client.readAllStandardError().contains(
        "glmReadOBJ() failed: can't open data file \"mdl/radartisch.obj\".\n"));
}
