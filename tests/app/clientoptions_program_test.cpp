#include "clientbox.h"
#include "clientfolder.h"
#include "clientprocess.h"
#include "loopbackserver.h"
#include "scenelayout.h"

#include <QFileInfo>
#include <QSize>
#include <QString>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{

constexpr int kRunLimitMs = 20000;
constexpr int kQuickEndMs = 5000;
constexpr int kWindowWaitMs = 10000;
constexpr int kNoConnectionWaitMs = 300;
constexpr int kAcceptPollMs = 1;
constexpr int kExitUsage = 2;        // the command line was wrong
constexpr int kExitModelFailure = 1; // the model library could not open a file

QString programName()
{
    return QFileInfo(QStringLiteral(RADAR_CLIENT_BINARY)).fileName();
}

// The real client from a working folder of its own against a loopback
// server; another folder holds what the options point at.
class ClientOptionsProgramTest : public testing::Test
{
protected:
    // Settings for the loopback server in folder's settings file, or in the
    // file called name there; the path of the file written.
    QString writeSettings(ClientFolder &folder, int timeToLive,
                          const QString &name = ClientFolder::kSettingsFile)
    {
        EXPECT_TRUE(folder.writeSettings(server.port(), QString::number(timeToLive), name));
        return folder.filePath(name);
    }

    // Accepts the client's connection while it runs; true when it ended in time.
    bool runToEnd()
    {
        waitUntil(
            [&] {
                if (!connected)
                    connected = server.acceptClient(kAcceptPollMs);
                return !client.isRunning();
            },
            kRunLimitMs);
        return !client.isRunning();
    }

    bool neverConnected() { return !connected && !server.acceptClient(kNoConnectionWaitMs); }

    // The client's top-level windows that match, polled until one is there.
    // The view's native child window is not among them.
    QStringList waitForTopLevelWindows(const QStringList &criteria)
    {
        QStringList found;
        waitUntil(
            [&] {
                found = client.windows(QStringList{"--onlyvisible", "--maxdepth", "1"} + criteria);
                return !found.isEmpty() || !client.isRunning();
            },
            kWindowWaitMs);
        return found;
    }

    ClientFolder elsewhere;
    LoopbackServer server;
    ClientProcess client;
    bool connected = false;
};

} // namespace

TEST_F(ClientOptionsProgramTest, HelpAndVersionPrintWithoutADisplayAndWithoutConnecting)
{
    // Settings that would connect, were the client to start.
    writeSettings(client.folder(), 1);
    client.withoutDisplay();

    ASSERT_TRUE(client.start({"--help"}));
    ASSERT_TRUE(client.waitForEnd(kQuickEndMs));
    EXPECT_TRUE(client.endedWith(0));
    const QString help = client.outputLines().join('\n');
    EXPECT_TRUE(help.startsWith("Usage: " + programName() + " ")) << help.toStdString();
    for (const char *option : {"--settings FILE", "--window WxH", "--assets DIR", "--reconnect",
                               "--help", "--version", "-platform", "-display"})
        EXPECT_TRUE(help.contains(option)) << option;
    EXPECT_TRUE(client.errorOutput().isEmpty());

    ASSERT_TRUE(client.start({"--version"}));
    ASSERT_TRUE(client.waitForEnd(kQuickEndMs));
    EXPECT_TRUE(client.endedWith(0));
    EXPECT_EQ(client.outputLines(), QStringList{programName() + " " RADAR_PROJECT_VERSION});
    EXPECT_TRUE(client.errorOutput().isEmpty());

    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, UsageErrorsExitTwoWithTheUsageOnStandardError)
{
    writeSettings(client.folder(), 1);
    client.withoutDisplay();
    const std::vector<std::pair<QStringList, QString>> mistakes = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"--settings"}, "--settings needs a value"},
        {{"--assets="}, "--assets needs a value"},
        {{"--window", "640x0"}, "'640x0'"},
        {{"-platform"}, "-platform needs a value"},
        {{"clientSettings.xml"}, "unexpected argument clientSettings.xml"},
        {{"--help", "--nonsense"}, "unknown option --nonsense"},
    };
    for (const auto &[arguments, reason] : mistakes) {
        const std::string line = arguments.join(' ').toStdString();
        ASSERT_TRUE(client.start(arguments)) << line;
        ASSERT_TRUE(client.waitForEnd(kQuickEndMs)) << line;
        EXPECT_TRUE(client.endedWith(kExitUsage)) << line;
        EXPECT_TRUE(client.outputLines().isEmpty()) << line;
        const QString errors = QString::fromLocal8Bit(client.errorOutput());
        EXPECT_TRUE(errors.startsWith(programName() + ": ")) << errors.toStdString();
        EXPECT_TRUE(errors.section('\n', 0, 0).contains(reason)) << errors.toStdString();
        EXPECT_TRUE(errors.contains("\nUsage: " + programName() + " ")) << line;
    }
    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, SettingsFileFromAnotherFolderIsRead)
{
    const QString settings = writeSettings(elsewhere, 1, "site.xml");
    ASSERT_TRUE(client.start({"--settings", settings}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(0));
    EXPECT_TRUE(connected);
}

TEST_F(ClientOptionsProgramTest, MissingSettingsFileShowsTheBoxAndNeverConnects)
{
    if (!haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display and xdotool";
    // The working folder's own file would connect; the option names another.
    writeSettings(client.folder(), 1);
    ASSERT_TRUE(client.start({"--settings", elsewhere.filePath("missing.xml")}));
    ASSERT_TRUE(client.waitForErrorBox(kWindowWaitMs));
    ASSERT_TRUE(client.answerErrorBox(kRunLimitMs));
    EXPECT_TRUE(client.endedWith(0));
    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, WindowOptionShowsANormalWindowOfThatSize)
{
    if (!haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display and xdotool";
    writeSettings(client.folder(), 4);
    const QSize asked(517, 389);
    ASSERT_TRUE(
        client.start({"--window", QString("%1x%2").arg(asked.width()).arg(asked.height())}));
    const QStringList windows = waitForTopLevelWindows({});
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windowSize(windows.front()), asked);
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(0));
}

TEST_F(ClientOptionsProgramTest, AssetsFolderLetsTheClientRunFromAnyFolder)
{
    // The working folder holds the settings alone.
    ASSERT_TRUE(client.folder().removeTextures());
    ASSERT_TRUE(client.folder().removeModels());
    writeSettings(client.folder(), 2);
    ASSERT_TRUE(client.start({"--assets", elsewhere.path()}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(0));
    EXPECT_TRUE(connected);
    const QByteArray errors = client.errorOutput();
    EXPECT_FALSE(errors.contains("cannot read")) << errors.toStdString();
    EXPECT_TRUE(client.outputLines().contains("build"));
}

TEST_F(ClientOptionsProgramTest, MissingModelInTheAssetsFolderIsNamedWithItsPath)
{
    ASSERT_TRUE(elsewhere.removeModel(scene::kTable.modelFile));
    writeSettings(client.folder(), 10);
    ASSERT_TRUE(client.start({"--assets", elsewhere.path()}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(kExitModelFailure));
    const QByteArray errors = client.errorOutput();
    const QString missing = elsewhere.path() + "/" + scene::kModelFolder + scene::kTable.modelFile;
    EXPECT_TRUE(errors.contains(
        ("glmReadOBJ() failed: can't open data file \"" + missing + "\".\n").toLocal8Bit()))
        << errors.toStdString();
}

TEST_F(ClientOptionsProgramTest, ToolkitArgumentsReachTheToolkit)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const QString display = qEnvironmentVariable("DISPLAY");
    writeSettings(client.folder(), 1);
    // Only the argument tells the client where the X server is.
    client.withoutDisplay();
    ASSERT_TRUE(client.start({"-display", display}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(0)) << client.errorOutput().toStdString();
    EXPECT_TRUE(connected);
}
