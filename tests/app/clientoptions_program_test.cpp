#include "loopbackserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace
{

constexpr int kRunLimitMs = 20000;
constexpr int kQuickEndMs = 5000;
constexpr int kWindowWaitMs = 10000;
constexpr int kPollMs = 100;
constexpr int kKeyRepeatMs = 500;
constexpr int kNoConnectionWaitMs = 300;
constexpr int kAcceptPollMs = 1;
constexpr int kExitUsage = 2;        // the command line was wrong
constexpr int kExitModelFailure = 1; // the model library could not open a file
const char kBoxTitle[] = "^Client error$";

QString programName()
{
    return QFileInfo(QStringLiteral(RADAR_CLIENT_BINARY)).fileName();
}

// The station's textures, and its models linked one by one so that a test can
// leave one out.
void linkAssets(const QString &folder, const QString &missingModel = QString())
{
    QFile::link(QStringLiteral(RADAR_SOURCE_DIR "/textures"), folder + "/textures");
    QDir(folder).mkdir("mdl");
    const QDir models(QStringLiteral(RADAR_SOURCE_DIR "/mdl"));
    for (const QString &name : models.entryList(QDir::Files)) {
        if (name != missingModel)
            QFile::link(models.filePath(name), folder + "/mdl/" + name);
    }
}

// xdotool's output, through the X server the tests run under.
QString xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start("xdotool", arguments);
    tool.waitForFinished(kQuickEndMs);
    return QString::fromLatin1(tool.readAllStandardOutput());
}

// A window's size in pixels as the X server has it.
QSize windowSize(const QString &window)
{
    QSize size;
    for (const QString &line : xdotool({"getwindowgeometry", "--shell", window}).split('\n')) {
        const QString key = line.section('=', 0, 0);
        const int value = line.section('=', 1).toInt();
        if (key == "WIDTH")
            size.setWidth(value);
        else if (key == "HEIGHT")
            size.setHeight(value);
    }
    return size;
}

// Runs the real client binary from a working folder of its own against a
// loopback server; another folder holds what the options point at.
class ClientOptionsProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        client.setWorkingDirectory(workFolder.path());
        environment.insert("LIBGL_ALWAYS_SOFTWARE", "1");
    }

    // Settings for the loopback server; the path of the file written.
    QString writeSettings(const QString &folder, const QString &name, int timeToLive)
    {
        const QString path = folder + "/" + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(QString("<settings><host>127.0.0.1</host><port>%1</port>"
                           "<timeToLive>%2</timeToLive></settings>")
                       .arg(server.port())
                       .arg(timeToLive)
                       .toUtf8());
        return path;
    }

    void withoutDisplay()
    {
        for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(variable);
    }

    void start(const QStringList &arguments)
    {
        client.setProcessEnvironment(environment);
        client.start(RADAR_CLIENT_BINARY, arguments);
        ASSERT_TRUE(client.waitForStarted());
    }

    // Accepts the client's connection while it runs; true when it ended in time.
    bool runToEnd(int limitMs = kRunLimitMs)
    {
        waitUntil(
            [&] {
                if (!connected)
                    connected = server.acceptClient(kAcceptPollMs);
                return client.state() == QProcess::NotRunning;
            },
            limitMs);
        return client.state() == QProcess::NotRunning;
    }

    bool endedWith(int status) const
    {
        return client.state() == QProcess::NotRunning &&
               client.exitStatus() == QProcess::NormalExit && client.exitCode() == status;
    }

    bool neverConnected() { return !connected && !server.acceptClient(kNoConnectionWaitMs); }

    // The client's mapped top-level windows that match, polled until one is
    // there. The view's native child window is not among them.
    QStringList waitForWindows(const QStringList &criteria)
    {
        QElapsedTimer clock;
        clock.start();
        const QStringList ofClient = {"search",
                                      "--all",
                                      "--onlyvisible",
                                      "--maxdepth",
                                      "1",
                                      "--pid",
                                      QString::number(client.processId())};
        QStringList found;
        while (found.isEmpty() && clock.elapsed() < kWindowWaitMs &&
               client.state() == QProcess::Running) {
            found = xdotool(ofClient + criteria).split('\n', Qt::SkipEmptyParts);
            QThread::msleep(kPollMs);
        }
        return found;
    }

    // Presses Return on the windows until the client ends; true when it did.
    bool pressReturnUntilEnded(const QStringList &windows)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kRunLimitMs && client.state() == QProcess::Running) {
            for (const QString &window : windows)
                xdotool({"key", "--window", window, "Return"});
            client.waitForFinished(kKeyRepeatMs);
        }
        return client.state() == QProcess::NotRunning;
    }

    static bool haveDisplayAndXdotool()
    {
        return !qEnvironmentVariableIsEmpty("DISPLAY") &&
               !QStandardPaths::findExecutable("xdotool").isEmpty();
    }

    QTemporaryDir workFolder;
    QTemporaryDir elsewhere;
    LoopbackServer server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess client;
    bool connected = false;
};

} // namespace

TEST_F(ClientOptionsProgramTest, HelpAndVersionPrintWithoutADisplayAndWithoutConnecting)
{
    // Settings that would connect, were the client to start.
    writeSettings(workFolder.path(), "clientSettings.xml", 1);
    withoutDisplay();

    start({"--help"});
    ASSERT_TRUE(client.waitForFinished(kQuickEndMs));
    EXPECT_TRUE(endedWith(0));
    const QString help = QString::fromLocal8Bit(client.readAllStandardOutput());
    EXPECT_TRUE(help.startsWith("Usage: " + programName() + " ")) << help.toStdString();
    for (const char *option : {"--settings FILE", "--window WxH", "--assets DIR", "--help",
                               "--version", "-platform", "-display"})
        EXPECT_TRUE(help.contains(option)) << option;
    EXPECT_TRUE(client.readAllStandardError().isEmpty());

    start({"--version"});
    ASSERT_TRUE(client.waitForFinished(kQuickEndMs));
    EXPECT_TRUE(endedWith(0));
    EXPECT_EQ(QString::fromLocal8Bit(client.readAllStandardOutput()),
              programName() + " " RADAR_PROJECT_VERSION "\n");
    EXPECT_TRUE(client.readAllStandardError().isEmpty());

    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, UsageErrorsExitTwoWithTheUsageOnStandardError)
{
    writeSettings(workFolder.path(), "clientSettings.xml", 1);
    withoutDisplay();
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
        start(arguments);
        ASSERT_TRUE(client.waitForFinished(kQuickEndMs)) << line;
        EXPECT_TRUE(endedWith(kExitUsage)) << line << ": status " << client.exitCode();
        EXPECT_TRUE(client.readAllStandardOutput().isEmpty()) << line;
        const QString errors = QString::fromLocal8Bit(client.readAllStandardError());
        EXPECT_TRUE(errors.startsWith(programName() + ": ")) << errors.toStdString();
        EXPECT_TRUE(errors.section('\n', 0, 0).contains(reason)) << errors.toStdString();
        EXPECT_TRUE(errors.contains("\nUsage: " + programName() + " ")) << line;
    }
    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, SettingsFileFromAnotherFolderIsRead)
{
    linkAssets(workFolder.path());
    const QString settings = writeSettings(elsewhere.path(), "site.xml", 1);
    start({"--settings", settings});
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(endedWith(0));
    EXPECT_TRUE(connected);
}

TEST_F(ClientOptionsProgramTest, MissingSettingsFileShowsTheBoxAndNeverConnects)
{
    if (!haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display and xdotool";
    linkAssets(workFolder.path());
    // The working folder's own file would connect; the option names another.
    writeSettings(workFolder.path(), "clientSettings.xml", 1);
    start({"--settings", elsewhere.filePath("missing.xml")});
    const QStringList boxes = waitForWindows({"--name", kBoxTitle});
    EXPECT_EQ(boxes.size(), 1);
    ASSERT_TRUE(pressReturnUntilEnded(boxes));
    EXPECT_TRUE(endedWith(0));
    EXPECT_TRUE(neverConnected());
}

TEST_F(ClientOptionsProgramTest, WindowOptionShowsANormalWindowOfThatSize)
{
    if (!haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display and xdotool";
    linkAssets(workFolder.path());
    writeSettings(workFolder.path(), "clientSettings.xml", 4);
    const QSize asked(517, 389);
    start({"--window", QString("%1x%2").arg(asked.width()).arg(asked.height())});
    const QStringList windows = waitForWindows({});
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windowSize(windows.front()), asked);
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(endedWith(0));
}

TEST_F(ClientOptionsProgramTest, AssetsFolderLetsTheClientRunFromAnyFolder)
{
    linkAssets(elsewhere.path());
    writeSettings(workFolder.path(), "clientSettings.xml", 2);
    start({"--assets", elsewhere.path()});
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(endedWith(0));
    EXPECT_TRUE(connected);
    const QByteArray errors = client.readAllStandardError();
    EXPECT_FALSE(errors.contains("cannot read")) << errors.toStdString();
    EXPECT_TRUE(client.readAllStandardOutput().contains("build\n"));
}

TEST_F(ClientOptionsProgramTest, MissingModelInTheAssetsFolderIsNamedWithItsPath)
{
    linkAssets(elsewhere.path(), "radartisch.obj");
    writeSettings(workFolder.path(), "clientSettings.xml", 10);
    start({"--assets", elsewhere.path()});
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(endedWith(kExitModelFailure));
    const QByteArray errors = client.readAllStandardError();
    EXPECT_TRUE(errors.contains(("glmReadOBJ() failed: can't open data file \"" + elsewhere.path() +
                                 "/mdl/radartisch.obj\".\n")
                                    .toLocal8Bit()))
        << errors.toStdString();
}

TEST_F(ClientOptionsProgramTest, ToolkitArgumentsReachTheToolkit)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const QString display = qEnvironmentVariable("DISPLAY");
    linkAssets(workFolder.path());
    writeSettings(workFolder.path(), "clientSettings.xml", 1);
    // Only the argument tells the client where the X server is.
    withoutDisplay();
    start({"-display", display});
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(endedWith(0)) << client.readAllStandardError().toStdString();
    EXPECT_TRUE(connected);
}
