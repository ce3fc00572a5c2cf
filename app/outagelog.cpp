#include "outagelog.h"

#include "framewatchdog.h"
#include "retryschedule.h"

#include <QStringList>

#include <ostream>

namespace
{

constexpr double kMsPerSecond = 1000.0;
constexpr int kSecondsPrecision = 1; // digits after the point in an outage's length

// What the server did, completing "<server> ...".
QString whatHappened(const LinkFailure &failure)
{
    switch (failure.kind) {
    case LinkFailure::Kind::Refused:
        return QStringLiteral("refused the connection");
    case LinkFailure::Kind::HostNotFound:
        return QStringLiteral("was not found");
    case LinkFailure::Kind::NoAnswer:
        return QStringLiteral("did not answer within %1 s")
            .arg(RetrySchedule::kAttemptLimitMs / kMsPerSecond);
    case LinkFailure::Kind::ClosedAtOnce:
        return QStringLiteral("closed the connection before its first frame");
    case LinkFailure::Kind::Closed:
        return QStringLiteral("closed the connection");
    case LinkFailure::Kind::Silent:
        return QStringLiteral("went silent: no frame for %1 s").arg(FrameWatchdog::kSilenceLimit);
    case LinkFailure::Kind::Other:
        break;
    }
    return QStringLiteral("failed: ") + failure.detail;
}

// The same in a word or two, for counts: "3 refused".
QString inShort(LinkFailure::Kind kind)
{
    static const char *const kWords[LinkFailure::kKinds] = {
        "refused", "not found", "no answer", "closed at once", "closed early", "silent", "other",
    };
    return QLatin1String(kWords[int(kind)]);
}

// Why a connection was lost, for a record: a word, or the network's own.
QString lostBecause(const LinkFailure &failure)
{
    switch (failure.kind) {
    case LinkFailure::Kind::ClosedAtOnce:
    case LinkFailure::Kind::Closed:
        return QStringLiteral("closed");
    case LinkFailure::Kind::Other:
        return failure.detail;
    default:
        return inShort(failure.kind);
    }
}

QString seconds(qint64 ms)
{
    return QString::number(ms / kMsPerSecond, 'f', kSecondsPrecision) + QStringLiteral(" s");
}

QString nextAttempt(int waitMs)
{
    if (waitMs <= 0)
        return QStringLiteral("trying again now.");
    return QStringLiteral("trying again in %1 s.").arg(waitMs / kMsPerSecond);
}

} // namespace

QString serverName(const QString &host, quint16 port)
{
    return host + QLatin1String(" port ") + QString::number(port);
}

OutageLog::OutageLog(std::ostream &out, const QString &server) : out(out), server(server) {}

void OutageLog::onEvent(std::function<void(const OutageEvent &)> eventListener)
{
    listener = std::move(eventListener);
}

void OutageLog::tell(const OutageEvent &event) const
{
    if (listener)
        listener(event);
}

void OutageLog::couldNotConnect(const LinkFailure &failure, int waitMs, qint64 nowMs)
{
    begin(nowMs);
    failuresInOutage = 1;
    tell({OutageEvent::Kind::Down, QString(), failuresInOutage, 0.0});
    finishLine(QStringLiteral("Could not connect to the server %1: the server %2; %3")
                   .arg(server, whatHappened(failure), nextAttempt(waitMs)),
               nowMs);
}

void OutageLog::stillTrying(int waitedMs, qint64 nowMs)
{
    begin(nowMs - waitedMs);
    finishLine(QStringLiteral("Could not connect to the server %1 within %2 s; still trying.")
                   .arg(server)
                   .arg(waitedMs / kMsPerSecond),
               nowMs);
}

void OutageLog::lost(const LinkFailure &failure, int waitMs, qint64 nowMs)
{
    begin(nowMs);
    afterLoss = true;
    tell({OutageEvent::Kind::Lost, lostBecause(failure)});
    finishLine(QStringLiteral("Server-connection lost: %1 %2; %3")
                   .arg(server, whatHappened(failure), nextAttempt(waitMs)),
               nowMs);
}

void OutageLog::failed(const LinkFailure &failure, int waitMs, qint64 nowMs)
{
    ++unreported[int(failure.kind)];
    ++failuresInOutage;
    if (failure.kind == LinkFailure::Kind::Other)
        lastDetail = failure.detail;
    if (nowMs - lastLineMs >= kSummaryIntervalMs)
        summarise(waitMs, nowMs);
}

void OutageLog::ended(bool back, qint64 nowMs)
{
    const QString length = seconds(nowMs - outageStartMs);
    if (afterLoss)
        tell({OutageEvent::Kind::Back, QString(), 0, (nowMs - outageStartMs) / kMsPerSecond});
    QString text =
        back ? QStringLiteral("Server-connection back: %1, after an outage of %2")
                   .arg(server, length)
             : QStringLiteral("Connected to the server %1 after %2 of trying").arg(server, length);
    if (unreportedCount() > 0)
        text += QStringLiteral("; ") + unreportedFailures(QStringLiteral("meanwhile"));
    finishLine(text + '.', nowMs);
}

void OutageLog::begin(qint64 nowMs)
{
    outageStartMs = nowMs;
    failuresInOutage = 0;
    afterLoss = false;
}

void OutageLog::summarise(int waitMs, qint64 nowMs)
{
    const QString when = QStringLiteral("in the last ") + seconds(nowMs - lastLineMs);
    tell({OutageEvent::Kind::Down, QString(), failuresInOutage,
          (nowMs - outageStartMs) / kMsPerSecond});
    finishLine(QStringLiteral("Server-connection still down: %1; %2; %3")
                   .arg(server, unreportedFailures(when), nextAttempt(waitMs)),
               nowMs);
}

int OutageLog::unreportedCount() const
{
    int total = 0;
    for (int count : unreported)
        total += count;
    return total;
}

// "3 attempts failed <when> (2 refused, 1 closed at once)"
QString OutageLog::unreportedFailures(const QString &when) const
{
    QStringList counts;
    for (int kind = 0; kind < LinkFailure::kKinds; ++kind) {
        if (unreported[kind] == 0)
            continue;
        QString count = QString::number(unreported[kind]) + ' ' + inShort(LinkFailure::Kind(kind));
        if (LinkFailure::Kind(kind) == LinkFailure::Kind::Other)
            count += QStringLiteral(", last: ") + lastDetail;
        counts << count;
    }
    const int total = unreportedCount();
    return QStringLiteral("%1 %2 failed %3 (%4)")
        .arg(QString::number(total),
             total == 1 ? QStringLiteral("attempt") : QStringLiteral("attempts"), when,
             counts.join(QStringLiteral(", ")));
}

// Each line reports every failure so far: the count starts again.
void OutageLog::finishLine(const QString &text, qint64 nowMs)
{
    out << text.toStdString() << std::endl;
    lastLineMs = nowMs;
    unreported.fill(0);
}
