#include "eventcommand.h"

#include "clientmessage.h"
#include "commandprocess.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace
{

const char kShell[] = "/bin/sh";
const char kOwnVariablesPrefix[] = "RADAR_";
constexpr double kMsPerSecond = 1000.0;
constexpr int kSecondsPrecision = 1; // digits after the point in a report's period
// A process killed with SIGKILL is gone in moments; this only bounds a
// process stuck in the kernel, so that the client's end never hangs on it.
constexpr int kReapLimitMs = 500;

QProcessEnvironment withoutOwnVariables(QProcessEnvironment environment)
{
    const QStringList names = environment.keys();
    for (const QString &name : names) {
        if (name.startsWith(QLatin1String(kOwnVariablesPrefix)))
            environment.remove(name);
    }
    return environment;
}

QString events(int count)
{
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" event") : QStringLiteral(" events"));
}

} // namespace

EventCommand::EventCommand(const QString &command, QObject *parent, int timeLimitMs,
                           int reportIntervalMs)
    : QObject(parent), command(command), timeLimitMs(timeLimitMs),
      baseEnvironment(withoutOwnVariables(QProcessEnvironment::systemEnvironment())),
      process(new CommandProcess(this)), timeLimit(new QTimer(this)), reportTimer(new QTimer(this)),
      droppedTimer(new QTimer(this))
{
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    connect(process, SIGNAL(finished(int, QProcess::ExitStatus)), this,
            SLOT(runEnded(int, QProcess::ExitStatus)));
    connect(process, SIGNAL(errorOccurred(QProcess::ProcessError)), this,
            SLOT(runFailedToStart(QProcess::ProcessError)));
    const std::pair<QTimer *, int> timers[] = {
        {timeLimit, timeLimitMs},
        {reportTimer, reportIntervalMs},
        {droppedTimer, kDroppedSignalIntervalMs},
    };
    // A coarse timer may fire 5% early, and each of these is a promise made
    // on standard error or in the manual page.
    for (const auto &timer : timers) {
        timer.first->setTimerType(Qt::PreciseTimer);
        timer.first->setSingleShot(true);
        timer.first->setInterval(timer.second);
    }
    connect(timeLimit, SIGNAL(timeout()), this, SLOT(timeLimitReached()));
    connect(reportTimer, SIGNAL(timeout()), this, SLOT(reportFailures()));
    connect(droppedTimer, SIGNAL(timeout()), this, SLOT(sendDropped()));
}

EventCommand::~EventCommand()
{
    const int unrun = finishWithinGrace();
    reportFailures();
    if (droppedUnsent > 0)
        printClientMessage(QStringLiteral("the event command was not given %1: too many waited")
                               .arg(events(droppedUnsent)));
    if (unrun > 0)
        printClientMessage(QStringLiteral("the client ended before the event command was given %1")
                               .arg(events(unrun)));
}

void EventCommand::run(const QByteArray &jsonLine, const QList<QPair<QString, QString>> &variables)
{
    Event event{jsonLine + '\n', baseEnvironment};
    for (const auto &variable : variables)
        event.environment.insert(variable.first, variable.second);
    waiting.push_back(std::move(event));
    dropOldest();
    startNext();
}

void EventCommand::startNext()
{
    if (running || waiting.empty())
        return;
    const Event event = std::move(waiting.front());
    waiting.pop_front();
    running = true;
    killedWhy.clear();
    process->setProcessEnvironment(event.environment);
    process->start(QLatin1String(kShell), {QStringLiteral("-c"), command});
    if (!running)
        return; // it could not start, and has been told
    // Kept until the pipe takes it; a command that reads none of it is no
    // failure, since it may use the variables alone.
    process->write(event.input);
    process->closeWriteChannel();
    timeLimit->start();
}

void EventCommand::runEnded(int exitCode, QProcess::ExitStatus status)
{
    timeLimit->stop();
    running = false;
    if (!killedWhy.isEmpty())
        failed(killedWhy);
    else if (status == QProcess::CrashExit)
        failed(QStringLiteral("killed by signal %1").arg(exitCode)); // Qt gives the signal there
    else if (exitCode != 0)
        failed(QStringLiteral("exit status %1").arg(exitCode));
    startNext();
}

// A crash ends in runEnded too, and a write error only means that the command
// did not read its input; only a command that never started ends here.
void EventCommand::runFailedToStart(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return;
    timeLimit->stop();
    running = false;
    failed(QStringLiteral("%1 could not start: %2")
               .arg(QLatin1String(kShell), process->errorString()));
    // Not from inside start(), which may have sent the error.
    QTimer::singleShot(0, this, SLOT(startNext()));
}

void EventCommand::timeLimitReached()
{
    killedWhy = QStringLiteral("still running after %1 s, killed").arg(timeLimitMs / kMsPerSecond);
    process->killGroup();
}

void EventCommand::dropOldest()
{
    while (waiting.size() > size_t(kMostWaiting)) {
        waiting.pop_front();
        ++droppedUnsent;
    }
    if (droppedUnsent > 0 && !droppedTimer->isActive())
        droppedTimer->start();
}

// The count starts again before the signal, whose receiver may run() the
// news of the drop at once.
void EventCommand::sendDropped()
{
    const int count = droppedUnsent;
    droppedUnsent = 0;
    emit dropped(count);
}

// The first failure after a quiet interval is told at once, later ones when
// the interval ends.
void EventCommand::failed(const QString &how)
{
    ++failuresUntold;
    lastFailure = how;
    if (!reportTimer->isActive())
        reportFailures();
}

void EventCommand::reportFailures()
{
    if (failuresUntold == 0)
        return;
    if (failuresUntold == 1) {
        printClientMessage(QStringLiteral("the event command failed: ") + lastFailure);
    } else {
        const QString period =
            QString::number(sinceReport.elapsed() / kMsPerSecond, 'f', kSecondsPrecision);
        printClientMessage(
            QStringLiteral("the event command failed %1 times in the last %2 s (last: %3)")
                .arg(QString::number(failuresUntold), period, lastFailure));
    }
    failuresUntold = 0;
    sinceReport.start();
    reportTimer->start();
}

// Blocks, but only at the client's end, when nothing is drawn any more, and
// for kEndingGraceMs at most. Returns the number of events left unrun.
int EventCommand::finishWithinGrace()
{
    const QDeadlineTimer grace(kEndingGraceMs);
    while (running && process->waitForFinished(int(grace.remainingTime()))) {
    }
    const int unrun = int(waiting.size());
    waiting.clear();
    if (running) {
        killedWhy = QStringLiteral("still running when the client ended, killed");
        process->killGroup();
        process->waitForFinished(kReapLimitMs);
    }
    return unrun;
}
