#include "clientbox.h"
#include "clientfolder.h"
#include "clientprocess.h"
#include "loopbackserver.h"
#include "scenelayout.h"

#include <QFileInfo>
#include <QRegularExpression>
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

// The lines of the client's own on standard error; Qt's are not among them.
QStringList clientLines(const ClientProcess &client)
{
    const QString errors = QString::fromLocal8Bit(client.errorOutput());
    return errors.split('\n').filter(QRegularExpression("^" + programName() + ": "));
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
    ASSERT_TRUE(displayAndXdotool());
    // The working folder's own file would connect; the option names another.
    writeSettings(client.folder(), 1);
    ASSERT_TRUE(client.start({"--settings", elsewhere.filePath("missing.xml")}));
    ASSERT_TRUE(client.waitForErrorBox(kWindowWaitMs));
    ASSERT_TRUE(client.answerErrorBox(kRunLimitMs));
    EXPECT_TRUE(client.endedWith(0));
    EXPECT_TRUE(neverConnected());
}

// Each start-up box is told on standard error, with the file or the server,
// before it shows.
TEST_F(ClientOptionsProgramTest, StartUpBoxesAreToldOnStandardErrorWithWhatAndWhere)
{
    ASSERT_TRUE(displayAndXdotool());
    const QString missing = elsewhere.filePath("missing.xml");
    const QString typo = elsewhere.filePath("typo.xml");
    ASSERT_TRUE(
        elsewhere.writeSettingsFile("<settings>\n  <port>1</prot>\n</settings>\n", "typo.xml"));
    const quint16 closedPort = closedLoopbackPort();
    ASSERT_TRUE(elsewhere.writeSettings(closedPort, "1", "nobody.xml"));
    const struct {
        QString settings;
        QString line; // the start of the line on standard error
    } cases[] = {
        {missing, programName() + ": cannot use the settings file " + missing +
                      ": cannot open it: No such file or directory"},
        {typo, programName() + ": cannot use the settings file " + typo +
                   ": not well-formed XML at line 2, column "},
        {elsewhere.filePath("nobody.xml"),
         QString("%1: could not connect to the server 127.0.0.1 port %2: Connection refused")
             .arg(programName())
             .arg(closedPort)},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(client.start({"--settings", c.settings}));
        ASSERT_TRUE(client.waitForErrorBox(kWindowWaitMs)) << c.settings.toStdString();
        const QStringList lines = clientLines(client);
        ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines.front().startsWith(c.line)) << lines.front().toStdString();
        ASSERT_TRUE(client.answerErrorBox(kRunLimitMs));
        EXPECT_TRUE(client.endedWith(0));
    }
}

// Without any display the client says so and ends; the offscreen platform,
// named either way, needs none.
TEST_F(ClientOptionsProgramTest, WithoutAnyDisplayItSaysSoUnlessThePlatformNeedsNone)
{
    const QRegularExpression noDisplay(": no display: .*DISPLAY \\(X11\\).*WAYLAND_DISPLAY");
    const struct {
        QStringList arguments;
        const char *platformVariable;
        bool runs;
    } cases[] = {
        {{}, nullptr, false}, {{"-platform", "offscreen"}, nullptr, true}, {{}, "offscreen", true}};
    for (const auto &c : cases) {
        ClientProcess run;
        ASSERT_TRUE(run.writeSettings(server.port(), 1));
        run.withoutDisplay();
        if (c.platformVariable != nullptr)
            run.setEnvironment("QT_QPA_PLATFORM", c.platformVariable);
        ASSERT_TRUE(run.start(c.arguments));
        ASSERT_TRUE(run.waitForEnd(kRunLimitMs));
        EXPECT_TRUE(run.endedWith(c.runs ? 0 : 1)) << run.howItEnded();
        // A connection made meanwhile waits in the server's queue.
        EXPECT_EQ(server.acceptClient(kNoConnectionWaitMs), c.runs);
        const QStringList lines = clientLines(run);
        EXPECT_EQ(lines.size(), c.runs ? 0 : 1) << lines.join('\n').toStdString();
        EXPECT_EQ(lines.filter(noDisplay).size(), lines.size()) << lines.join('\n').toStdString();
    }
}

TEST_F(ClientOptionsProgramTest, WindowOptionShowsANormalWindowOfThatSize)
{
    ASSERT_TRUE(displayAndXdotool());
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

// Textures are read first: each missing one is named and drawn blank.
TEST_F(ClientOptionsProgramTest, MissingModelInTheAssetsFolderIsNamedWithItsPath)
{
    ASSERT_TRUE(elsewhere.removeTextures());
    ASSERT_TRUE(elsewhere.removeModel(scene::kTable.modelFile));
    writeSettings(client.folder(), 10);
    ASSERT_TRUE(client.start({"--assets", elsewhere.path()}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(kExitModelFailure));
    const QByteArray errors = client.errorOutput();
    const QString screen = elsewhere.path() + "/" + scene::kTextureFolder + scene::kScreenTexture;
    EXPECT_TRUE(errors.contains(
        (programName() + ": cannot read the texture " + screen + "\n").toLocal8Bit()));
    const QString missing = elsewhere.path() + "/" + scene::kModelFolder + scene::kTable.modelFile;
    EXPECT_TRUE(errors.contains(
        ("glmReadOBJ() failed: can't open data file \"" + missing + "\".\n").toLocal8Bit()))
        << errors.toStdString();
}

TEST_F(ClientOptionsProgramTest, ToolkitArgumentsReachTheToolkit)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display";
    const QString display = qEnvironmentVariable("DISPLAY");
    writeSettings(client.folder(), 1);
    // Only the argument tells the client where the X server is.
    client.withoutDisplay();
    ASSERT_TRUE(client.start({"-display", display}));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(client.endedWith(0)) << client.errorOutput().toStdString();
    EXPECT_TRUE(connected);
}
