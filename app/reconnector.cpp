#include "reconnector.h"

#include "logic.h"

#include <QEventLoop>
#include <QTimer>

#include <iostream>

namespace
{

// At start-up, the usual wait for a connection before the window is shown.
constexpr int kStartWaitMs = 1000;
constexpr int kStartPollMs = 10;
// A connection that has brought frames this long was a good one: the next
// outage starts with an attempt at once.
constexpr qint64 kHealthyAfterMs = 10000;
constexpr qint64 kMsPerSecond = 1000;

// For tests that need many reconnections in little time: a cap on the
// waits between attempts, in milliseconds. It can only shorten them.
const char kLongestWaitVariable[] = "RADAR_RECONNECT_MAX_WAIT_MS";

int longestWaitMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue(kLongestWaitVariable, &ok);
    return ok ? ms : RetrySchedule::kLongestWaitMs;
}

} // namespace

Reconnector::Reconnector(Logic *logic, const QString &host, quint16 port, QObject *parent)
    : QObject(parent), logic(logic), host(host), port(port), schedule(longestWaitMs()),
      log(std::cerr, serverName(host, port)), waitTimer(new QTimer(this))
{
    clock.start();
    waitTimer->setSingleShot(true);
    connect(waitTimer, SIGNAL(timeout()), this, SLOT(attempt()));
}

void Reconnector::start()
{
    attempt();
    waitForFirstAttempt();
    if (logic->isConnected()) {
        connectionMade();
        return;
    }
    outage = true;
    if (logic->isConnecting()) {
        log.stillTrying(kStartWaitMs, now());
        return;
    }
    const LinkFailure failure = socketFailure();
    recordFailure(failure);
    log.couldNotConnect(failure, schedule.nextWaitMs(), now());
    waitForNextAttempt();
}

// The event loop runs meanwhile, since the connection is made through it;
// no window exists yet to take input.
void Reconnector::waitForFirstAttempt()
{
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!logic->isConnecting() || attemptClock.elapsed() >= kStartWaitMs)
            loop.quit();
    });
    poll.start(kStartPollMs);
    loop.exec();
}

void Reconnector::watch(double dt)
{
    if (phase == Phase::Attempting)
        followAttempt();
    else if (phase == Phase::Connected)
        followConnection(dt);
}

void Reconnector::attempt()
{
    phase = Phase::Attempting;
    attemptClock.start();
    logic->startConnecting(host, port);
}

void Reconnector::followAttempt()
{
    if (logic->isConnected())
        connectionMade();
    else if (!logic->isConnecting())
        attemptFailed(socketFailure());
    else if (attemptClock.elapsed() >= RetrySchedule::kAttemptLimitMs)
        attemptFailed({LinkFailure::Kind::NoAnswer});
}

void Reconnector::followConnection(double dt)
{
    if (!logic->isConnected()) {
        connectionLost(socketFailure());
        return;
    }
    if (!framesClock.isValid() && logic->hasFrame())
        firstFrameCame();
    noteFrames();
    if (broughtFramesLongEnough())
        schedule.recordHealthyConnection();
    watchdog.observe(logic->framesRead(), dt);
    if (watchdog.isSilent())
        connectionLost({LinkFailure::Kind::Silent});
}

void Reconnector::connectionMade()
{
    phase = Phase::Connected;
    watchdog.restart(logic->framesRead());
    framesSeen = logic->framesRead();
    framesClock.invalidate();
    if (!everConnected) {
        everConnected = true;
        emit firstConnection();
    }
}

void Reconnector::onOutageEvent(std::function<void(const OutageEvent &)> listener)
{
    log.onEvent(std::move(listener));
}

void Reconnector::firstFrameCame()
{
    framesClock.start();
    if (outage) {
        outage = false;
        log.ended(everFramed, now());
        emit signalBack();
    }
    everFramed = true;
}

void Reconnector::noteFrames()
{
    if (logic->framesRead() == framesSeen)
        return;
    framesSeen = logic->framesRead();
    lastFrameClock.start();
}

int Reconnector::secondsSinceLastFrame() const
{
    return lastFrameClock.isValid() ? int(lastFrameClock.elapsed() / kMsPerSecond) : -1;
}

void Reconnector::attemptFailed(const LinkFailure &failure)
{
    recordFailure(failure);
    logic->dropConnection();
    log.failed(failure, schedule.nextWaitMs(), now());
    waitForNextAttempt();
}

// What the connection brought goes with it at once, whenever the next
// attempt comes, so that no target of it makes a hit.
void Reconnector::connectionLost(const LinkFailure &failure)
{
    if (!broughtFramesLongEnough())
        schedule.recordFailure();
    logic->dropConnection();
    framesClock.invalidate();
    if (outage) {
        log.failed(failure, schedule.nextWaitMs(), now());
    } else {
        outage = true;
        log.lost(failure, schedule.nextWaitMs(), now());
        emit signalLost();
    }
    waitForNextAttempt();
}

void Reconnector::waitForNextAttempt()
{
    phase = Phase::Waiting;
    const int waitMs = schedule.nextWaitMs();
    if (waitMs == 0)
        attempt();
    else
        waitTimer->start(waitMs);
}

// A refused attempt cost the server nothing: the next one comes soon.
void Reconnector::recordFailure(const LinkFailure &failure)
{
    if (failure.kind == LinkFailure::Kind::Refused)
        schedule.recordRefusal();
    else
        schedule.recordFailure();
}

bool Reconnector::broughtFramesLongEnough() const
{
    return framesClock.isValid() && framesClock.elapsed() >= kHealthyAfterMs;
}

LinkFailure Reconnector::socketFailure() const
{
    switch (logic->connectionError()) {
    case QAbstractSocket::ConnectionRefusedError:
        return {LinkFailure::Kind::Refused};
    case QAbstractSocket::HostNotFoundError:
        return {LinkFailure::Kind::HostNotFound};
    case QAbstractSocket::SocketTimeoutError:
        return {LinkFailure::Kind::NoAnswer};
    case QAbstractSocket::RemoteHostClosedError:
        return {framesClock.isValid() ? LinkFailure::Kind::Closed
                                      : LinkFailure::Kind::ClosedAtOnce};
    default:
        return {LinkFailure::Kind::Other, logic->connectionErrorText()};
    }
}
