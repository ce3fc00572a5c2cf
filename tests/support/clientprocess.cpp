#include "clientprocess.h"

#include "clientbox.h"
#include "procstatus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace
{

constexpr int kPollMs = 100;
constexpr int kKeyRepeatMs = 500;
constexpr int kXdotoolTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 5000;
const char kOutName[] = "client.out";
const char kErrName[] = "client.err";
// xdotool matches window names by regular expression.
const QString kBoxTitle = QString("^%1$").arg(clientbox::kTitle);

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Its complaints (a window that closed between search and key) are expected.
QString runXdotool(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.setStandardErrorFile(QProcess::nullDevice());
    xdotool.start("xdotool", arguments);
    xdotool.waitForFinished(kXdotoolTimeoutMs);
    return QString::fromLatin1(xdotool.readAllStandardOutput());
}

} // namespace

ClientProcess::ClientProcess() : environment(QProcessEnvironment::systemEnvironment())
{
    process.setWorkingDirectory(workFolder.path());
    process.setStandardOutputFile(workFolder.filePath(kOutName));
    process.setStandardErrorFile(workFolder.filePath(kErrName));
    environment.insert("LIBGL_ALWAYS_SOFTWARE", "1");
}

ClientProcess::~ClientProcess()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStopTimeoutMs);
}

bool ClientProcess::writeSettings(quint16 port, int timeToLive, const QString &moreElements)
{
    return workFolder.writeSettings(port, QString::number(timeToLive), ClientFolder::kSettingsFile,
                                    moreElements);
}

void ClientProcess::withoutDisplay()
{
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(variable);
}

void ClientProcess::setEnvironment(const QString &name, const QString &value)
{
    environment.insert(name, value);
}

bool ClientProcess::start(const QStringList &arguments)
{
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(RADAR_CLIENT_BINARY), arguments);
    return process.waitForStarted();
}

long ClientProcess::residentKib() const
{
    return isRunning() ? processStatusKib(process.processId(), "VmRSS") : -1;
}

int ClientProcess::openFiles() const
{
    return isRunning() ? openFileCount(process.processId()) : -1;
}

QStringList ClientProcess::windows(const QStringList &criteria)
{
    const QStringList ofThisProcess{"search", "--all", "--pid",
                                    QString::number(process.processId())};
    return runXdotool(ofThisProcess + criteria).split('\n', Qt::SkipEmptyParts);
}

bool ClientProcess::waitForErrorBox(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && isRunning()) {
        if (!errorBoxes().isEmpty())
            return true;
        QThread::msleep(kPollMs);
    }
    return false;
}

QStringList ClientProcess::mainWindows()
{
    QStringList shown = windows({"--onlyvisible"});
    for (const QString &box : windows({"--name", kBoxTitle}))
        shown.removeAll(box);
    return shown;
}

QStringList ClientProcess::waitForViewWindows(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QStringList nested;
    while (nested.isEmpty() && clock.elapsed() < timeoutMs && isRunning()) {
        nested = windows({"--onlyvisible"});
        for (const QString &topLevel : windows({"--onlyvisible", "--maxdepth", "1"}))
            nested.removeAll(topLevel);
        if (nested.isEmpty())
            QThread::msleep(kPollMs);
    }
    return nested;
}

QStringList ClientProcess::errorBoxes()
{
    return windows({"--onlyvisible", "--name", kBoxTitle});
}

bool ClientProcess::hasVisibleMainWindow()
{
    return !mainWindows().isEmpty();
}

// Keys are sent to the windows directly: without a window manager nothing
// gives them the focus. To a window that has the focus, xdotool presses and
// releases the key through the server; when the window closes between the
// two, xdotool fails and leaves the key down, and the server's repeats of it
// would answer the next box at once. So the key is released at the end.
bool ClientProcess::pressUntilEnded(const QStringList &targets, const QString &key, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    bool ended = false;
    while (!ended && clock.elapsed() < timeoutMs && isRunning()) {
        for (const QString &window : targets)
            runXdotool({"key", "--window", window, key});
        ended = process.waitForFinished(kKeyRepeatMs);
    }
    runXdotool({"keyup", key});
    return ended || !isRunning();
}

bool ClientProcess::answerErrorBox(int timeoutMs)
{
    return pressUntilEnded(windows({"--name", kBoxTitle}), "Return", timeoutMs);
}

bool ClientProcess::closeWithKey(const QString &key, int timeoutMs)
{
    return pressUntilEnded(mainWindows(), key, timeoutMs);
}

// Typed through the XTest extension, as at a keyboard, so it goes where the
// focus is: on the test's own X server nothing but this test moves it. xdotool
// ends with a round trip to the server, which has then handled the key.
void ClientProcess::typeInto(const QString &window, const QString &key)
{
    runXdotool({"windowfocus", "--sync", window, "key", key});
}

bool ClientProcess::waitForEnd(int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}

bool ClientProcess::endedWith(int status) const
{
    return process.state() == QProcess::NotRunning &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == status;
}

std::string ClientProcess::howItEnded() const
{
    if (process.state() != QProcess::NotRunning)
        return "running";
    if (process.exitStatus() == QProcess::CrashExit)
        return "crashed";
    return "exit status " + std::to_string(process.exitCode());
}

QStringList ClientProcess::outputLines() const
{
    return QString::fromUtf8(readFile(workFolder.filePath(kOutName)))
        .split('\n', Qt::SkipEmptyParts);
}

int ClientProcess::countLines(const QString &pattern) const
{
    const QRegularExpression expression(pattern);
    int count = 0;
    for (const QString &line : outputLines())
        count += expression.match(line).hasMatch();
    return count;
}

QByteArray ClientProcess::errorOutput() const
{
    return readFile(workFolder.filePath(kErrName));
}

testing::AssertionResult displayAndXdotool()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return testing::AssertionFailure() << "no X display: run the test through ctest, which "
                                              "gives it an Xvfb of its own";
    if (QStandardPaths::findExecutable("xdotool").isEmpty())
        return testing::AssertionFailure()
               << "xdotool is not installed: bash scripts/setup.sh installs it";
    return testing::AssertionSuccess();
}

QSize windowSize(const QString &window)
{
    QSize size;
    for (const QString &line : runXdotool({"getwindowgeometry", "--shell", window}).split('\n')) {
        const QString key = line.section('=', 0, 0);
        const int value = line.section('=', 1).toInt();
        if (key == "WIDTH")
            size.setWidth(value);
        else if (key == "HEIGHT")
            size.setHeight(value);
    }
    return size;
}

bool pollUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QThread::msleep(kPollMs);
    return done();
}
