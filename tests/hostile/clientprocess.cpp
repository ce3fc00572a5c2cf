#include "clientprocess.h"

#include "clientbox.h"
#include "procstatus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

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

ClientProcess::ClientProcess()
{
    process.setWorkingDirectory(folder.path());
    process.setStandardOutputFile(folder.filePath(kOutName));
    process.setStandardErrorFile(folder.filePath(kErrName));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LIBGL_ALWAYS_SOFTWARE", "1");
    process.setProcessEnvironment(environment);
}

ClientProcess::~ClientProcess()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStopTimeoutMs);
}

bool ClientProcess::writeSettings(quint16 port, int timeToLive)
{
    return folder.writeSettings(port, QString::number(timeToLive));
}

bool ClientProcess::start()
{
    process.start(QStringLiteral(RADAR_CLIENT_BINARY), QStringList());
    return process.waitForStarted();
}

long ClientProcess::residentKib() const
{
    return isRunning() ? processStatusKib(process.processId(), "VmRSS") : -1;
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
        if (!windows({"--onlyvisible", "--name", kBoxTitle}).isEmpty())
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

bool ClientProcess::hasVisibleMainWindow()
{
    return !mainWindows().isEmpty();
}

// Keys are sent to the windows directly: without a window manager nothing
// gives them the focus.
bool ClientProcess::pressUntilEnded(const QStringList &targets, const QString &key, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && isRunning()) {
        for (const QString &window : targets)
            runXdotool({"key", "--window", window, key});
        if (process.waitForFinished(kKeyRepeatMs))
            return true;
    }
    return !isRunning();
}

bool ClientProcess::answerErrorBox(int timeoutMs)
{
    return pressUntilEnded(windows({"--name", kBoxTitle}), "Return", timeoutMs);
}

bool ClientProcess::closeWithKey(const QString &key, int timeoutMs)
{
    return pressUntilEnded(mainWindows(), key, timeoutMs);
}

bool ClientProcess::waitForEnd(int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}

bool ClientProcess::endedCleanly() const
{
    return process.state() == QProcess::NotRunning &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList ClientProcess::outputLines() const
{
    return QString::fromUtf8(readFile(folder.filePath(kOutName))).split('\n', Qt::SkipEmptyParts);
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
    return readFile(folder.filePath(kErrName));
}

bool haveDisplayAndXdotool()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}
