#pragma once

#include "stationstatus.h"

#include <QElapsedTimer>
#include <QString>

// Tells a service manager (systemd, a unit of Type=notify) through sd_notify
// that the client is up, that it is alive, and what it is doing. Made only
// where a manager listens: elsewhere nothing is sent.
//
// READY=1 goes once the view has shown its first frame. From then on,
// WATCHDOG=1 every half of WATCHDOG_USEC, from the frame timer, so that an
// event loop that stalls stops the pings and the manager restarts the client;
// and a STATUS= line when the station's link or its zones in alarm change, or
// when only its counts do, at most once every kCountIntervalMs.
class SystemdNotifier
{
public:
    static constexpr qint64 kCountIntervalMs = 1000;

    // True when the environment names a manager's socket (NOTIFY_SOCKET).
    static bool isWanted();

    // server as the status lines name it, "localhost:3333". Reads whether
    // and how often the manager wants pings (WATCHDOG_USEC, WATCHDOG_PID).
    explicit SystemdNotifier(const QString &server);

    // After each repaint by the frame timer: viewShown tells whether the view
    // has shown a frame yet, state what the station is doing now.
    void frameTicked(bool viewShown, const StationState &state);

private:
    void announceReady(const StationState &state);
    bool statusDue(const StationState &state) const;
    void tellStatus(const StationState &state, const char *before);
    void send(const QByteArray &message);
    qint64 now() const { return clock.elapsed(); }

    const QString server;
    qint64 pingIntervalMs = 0; // 0: the manager wants no pings
    QElapsedTimer clock;       // milliseconds since construction
    bool ready = false;        // READY=1 has gone
    qint64 lastPingMs = 0;
    qint64 lastStatusMs = 0;
    StationState told;    // as the last STATUS line gave it
    bool failing = false; // the last message could not be sent, and that was said
};
