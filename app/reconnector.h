#pragma once

#include "framewatchdog.h"
#include "outagelog.h"
#include "retryschedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class Logic;
class QTimer;

// Keeps the client watching its radar server through outages. One attempt
// at a time may take up to RetrySchedule::kAttemptLimitMs; after a failure
// the next one waits as the schedule says. A connection on which no frame
// comes for FrameWatchdog::kSilenceLimit counts as lost. An outage lasts
// until a connection brings a frame; it is announced by signalLost() and
// signalBack() and told on standard error. Apart from start(), nothing here
// blocks: the frames, the keys and the time limit go on.
class Reconnector : public QObject
{
    Q_OBJECT

public:
    // logic is not owned and must outlive this object.
    Reconnector(Logic *logic, const QString &host, quint16 port, QObject *parent);

    // The first attempt, waited for up to a second so that a server that is
    // there is shown from the first frame; one that takes longer goes on
    // while the window runs, as an outage.
    void start();
    // Follows the attempt, the connection and its frames; called on every
    // frame tick with the seconds since the previous one.
    void watch(double dt);
    // True from an outage's beginning until a connection brings a frame.
    bool isActive() const { return outage; }
    // Whole seconds since the last frame that any connection brought; -1
    // before the first.
    int secondsSinceLastFrame() const;

    // Tells listener of the outages, as the lines on standard error do.
    void onOutageEvent(std::function<void(const OutageEvent &)> listener);

signals:
    void signalLost();
    void signalBack();
    // The first connection the client has made.
    void firstConnection();

private slots:
    void attempt();

private:
    enum class Phase { Waiting, Attempting, Connected };

    void waitForFirstAttempt();
    void followAttempt();
    void followConnection(double dt);
    void connectionMade();
    void firstFrameCame();
    void noteFrames();
    void attemptFailed(const LinkFailure &failure);
    void recordFailure(const LinkFailure &failure);
    void connectionLost(const LinkFailure &failure);
    void waitForNextAttempt();
    bool broughtFramesLongEnough() const;
    LinkFailure socketFailure() const;
    qint64 now() const { return clock.elapsed(); }

    Logic *logic;
    const QString host;
    const quint16 port;
    RetrySchedule schedule;
    FrameWatchdog watchdog;
    OutageLog log;
    QTimer *waitTimer;
    QElapsedTimer clock;        // the log's time, since construction
    QElapsedTimer attemptClock; // since the attempt under way began
    QElapsedTimer framesClock;  // since the connection's first frame; invalid before it
    Phase phase = Phase::Waiting;
    bool outage = false;
    bool everFramed = false; // some connection has brought a frame
    // Since the last frame of any connection, invalid before the first; and
    // how many the current connection had brought by then.
    QElapsedTimer lastFrameClock;
    qint64 framesSeen = 0;
    bool everConnected = false; // some attempt has connected
};
