#include "clientprocess.h"
#include "frames.h"
#include "loopbackserver.h"
#include "scenelayout.h"

#include <QRegularExpression>
#include <QtGlobal>
#include <gtest/gtest.h>


namespace
{

constexpr int kRunLimitMs = 20000;
constexpr int kRingTargets = 12;
constexpr double kRingRadius = 0.3; // in wire units: the beam passes one often

// Runs the real client binary in a working folder of its own.
class ClientProcessTest : public testing::Test
{
protected:
    // Settings for the loopback server; the client ends after timeToLive seconds.
    void writeSettings(int timeToLive)
    {
        ASSERT_TRUE(client.writeSettings(server.port(), timeToLive));
    }

    // Starts the client and serves it until it ends; true when it did.
    bool runToTheEnd()
    {
        if (!client.start())
            return false;
        serveUntilFinished();
        return !client.isRunning();
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
                    const QByteArray requests = server.receivedBytes();
                    for (int n = requests.count(char(wire::kRequestByte)); n > 0; --n) {
                        server.send(testframes::frame(
                            first, testframes::ringOfTargets(kRingTargets, kRingRadius)));
                        first = false;
                    }
                }
                return !client.isRunning();
            },
            kRunLimitMs);
    }

    LoopbackServer server;
    ClientProcess client;
};

} // namespace

TEST_F(ClientProcessTest, RunsAgainstAServerAndReportsBuildsAndHits)
{
    writeSettings(5);
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(client.endedCleanly());

    const QStringList lines = client.outputLines();
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
    const QByteArray errors = client.errorOutput();
    // Every texture and model was found in the working directory.
    EXPECT_EQ(errors.count("cannot read"), 0);
    // The view kept its fixed scene: the renderer copies it back exactly.
    EXPECT_EQ(errors.count("SceneCache"), 0) << errors.toStdString();
}

TEST_F(ClientProcessTest, WithoutFramebufferObjectsTheWholeSceneIsDrawnAndSaidOnce)
{
    if (QT_VERSION_MAJOR >= 6)
        GTEST_SKIP() << "Qt 6's OpenGL widget draws into a framebuffer object of its own, so the "
                        "client needs them there; the Qt 5 build runs this test";
    writeSettings(3);
    // Mesa's software renderer, made to offer an OpenGL without them.
    client.setEnvironment("MESA_GL_VERSION_OVERRIDE", "2.1");
    client.setEnvironment("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object "
                                                     "-GL_EXT_framebuffer_object "
                                                     "-GL_EXT_framebuffer_blit");
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(client.endedCleanly());
    const QByteArray errors = client.errorOutput();
    EXPECT_EQ(errors.count("SceneCache: this OpenGL has no framebuffer objects with blits;"
                           " the whole scene is drawn every frame\n"),
              1)
        << errors.toStdString();
    EXPECT_TRUE(client.outputLines().contains("build"));
}

TEST_F(ClientProcessTest, MissingModelEndsWithTheModelLibrarysMessage)
{
    ASSERT_TRUE(client.folder().removeModel(scene::kTable.modelFile));
    writeSettings(10);
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(client.endedWith(1));
    const std::string table = std::string(scene::kModelFolder) + scene::kTable.modelFile;
    EXPECT_TRUE(client.errorOutput().contains(
        ("glmReadOBJ() failed: can't open data file \"" + table + "\".\n").c_str()));
}
