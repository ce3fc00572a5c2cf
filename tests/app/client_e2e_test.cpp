#include "clientprocess.h"
#include "frames.h"
#include "loopbackserver.h"
#include "scenelayout.h"
#include "xscreen.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace
{

constexpr int kRunLimitMs = 20000;
constexpr int kWindowWaitMs = 10000;
constexpr int kQuickEndMs = 5000;
// A time limit that only ends a client the test could not end itself.
constexpr int kBackstopSeconds = 60;
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
    EXPECT_EQ(errors.count("the whole scene is drawn every frame"), 0) << errors.toStdString();
}

TEST_F(ClientProcessTest, WithoutFramebufferObjectsTheWholeSceneIsDrawnAndSaidOnce)
{
    writeSettings(3);
    // Mesa's software renderer, made to offer an OpenGL without them.
    client.setEnvironment("MESA_GL_VERSION_OVERRIDE", "2.1");
    client.setEnvironment("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object "
                                                     "-GL_EXT_framebuffer_object "
                                                     "-GL_EXT_framebuffer_blit");
    ASSERT_TRUE(runToTheEnd());
    EXPECT_TRUE(client.endedCleanly());
    const QByteArray errors = client.errorOutput();
    EXPECT_EQ(errors.count("radar-client: this OpenGL has no framebuffer objects with blits;"
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

// The view draws in a window of its own inside the main window, which fills
// the screen; the pointer and the keys must behave there as anywhere else in
// the client.
TEST_F(ClientProcessTest, ViewFillsTheScreenHidesThePointerAndPassesTheCloseKeysOn)
{
    ASSERT_TRUE(displayAndXdotool());
    for (const char *key : {"q", "Escape"}) {
        LoopbackServer own;
        ClientProcess run;
        ASSERT_TRUE(run.writeSettings(own.port(), kBackstopSeconds));
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(own.acceptClient(kWindowWaitMs)) << key;
        const QStringList views = run.waitForViewWindows(kWindowWaitMs);
        ASSERT_EQ(views.size(), 1) << key;
        EXPECT_EQ(windowSize(views.front()), screenSize()) << key;
        EXPECT_TRUE(pointerIsHiddenOver(views.front())) << key;
        run.typeInto(views.front(), key);
        EXPECT_TRUE(run.waitForEnd(kQuickEndMs)) << key;
        EXPECT_TRUE(run.endedCleanly()) << key << ": " << run.howItEnded() << "\n"
                                        << run.errorOutput().toStdString();
    }
}

TEST_F(ClientProcessTest, LostConnectionBoxIsStackedOverTheView)
{
    ASSERT_TRUE(displayAndXdotool());
    writeSettings(kBackstopSeconds);
    ASSERT_TRUE(client.start());
    ASSERT_TRUE(server.acceptClient(kWindowWaitMs));
    ASSERT_FALSE(client.waitForViewWindows(kWindowWaitMs).isEmpty());
    server.dropClient();
    ASSERT_TRUE(client.waitForErrorBox(kWindowWaitMs));
    // Written before the box, naming the server the box does not.
    const QByteArray errors = client.errorOutput();
    EXPECT_TRUE(errors.contains(
        QString("radar-client: lost the connection to the server 127.0.0.1 port %1: ")
            .arg(server.port())
            .toLocal8Bit()))
        << errors.toStdString();
    const QStringList boxes = client.errorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    QStringList topLevels = client.windows({"--onlyvisible", "--maxdepth", "1"});
    topLevels.removeAll(boxes.front());
    ASSERT_FALSE(topLevels.isEmpty());
    for (const QString &window : topLevels)
        EXPECT_TRUE(isStackedAbove(boxes.front(), window)) << window.toStdString();
    ASSERT_TRUE(client.answerErrorBox(kRunLimitMs));
    EXPECT_TRUE(client.endedCleanly());
}
