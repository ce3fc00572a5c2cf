#include "simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

namespace
{
constexpr int kStartTimeoutMs = 10000;
constexpr int kPollMs = 20;
constexpr int kStopTimeoutMs = 5000;
const char kLogName[] = "radar-sim.err";
} // namespace

SimProcess::SimProcess(const QStringList &options, quint16 port)
{
    // A file, not a pipe: the status line comes every second, and a pipe that
    // nobody drains would stall the server.
    process.setStandardErrorFile(dir.filePath(kLogName));
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(RADAR_SIM_PROGRAM),
                  QStringList{"--listen", "127.0.0.1", "--port", QString::number(port)} + options);
    if (process.waitForStarted())
        listeningPort = readPort(kStartTimeoutMs);
}

SimProcess::~SimProcess()
{
    stop();
}

void SimProcess::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kStopTimeoutMs))
        process.kill();
    process.waitForFinished();
}

bool SimProcess::waitForEnd(int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}

bool SimProcess::endedWith(int status) const
{
    return process.state() == QProcess::NotRunning &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == status;
}

QString SimProcess::errorOutput() const
{
    QFile log(dir.filePath(kLogName));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

int SimProcess::accepted() const
{
    const QRegularExpression status("\\(([0-9]+) accepted\\)");
    int count = -1;
    QRegularExpressionMatchIterator lines = status.globalMatch(errorOutput());
    while (lines.hasNext())
        count = lines.next().captured(1).toInt();
    return count;
}

quint16 SimProcess::readPort(int timeoutMs)
{
    const QRegularExpression listening("listening on [0-9.]+:([0-9]+)");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && process.state() == QProcess::Running) {
        const QRegularExpressionMatch match = listening.match(errorOutput());
        if (match.hasMatch())
            return quint16(match.captured(1).toUInt());
        // Waiting this way also notices at once a program that has ended.
        process.waitForFinished(kPollMs);
    }
    return 0;
}
