#include "systemdnotifier.h"

#include "clientmessage.h"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{

const char kSocketVariable[] = "NOTIFY_SOCKET";
constexpr std::uint64_t kUsecPerMs = 1000;
// A ping every half of the manager's limit leaves a whole half for a late tick.
constexpr std::uint64_t kPingsPerLimit = 2;

} // namespace

bool SystemdNotifier::isWanted()
{
    return !qEnvironmentVariableIsEmpty(kSocketVariable);
}

// sd_watchdog_enabled says no pings are wanted when WATCHDOG_PID names
// another process: the variables were meant for a parent of this one.
SystemdNotifier::SystemdNotifier(const QString &server) : server(server)
{
    clock.start();
    std::uint64_t limitUsec = 0;
    const int wanted = sd_watchdog_enabled(0, &limitUsec);
    if (wanted > 0)
        pingIntervalMs =
            qint64(std::max<std::uint64_t>(1, limitUsec / kPingsPerLimit / kUsecPerMs));
    else if (wanted < 0)
        printClientMessage(QStringLiteral("the service manager's watchdog settings are not "
                                          "understood (%1); no watchdog pings are sent")
                               .arg(QString::fromLocal8Bit(std::strerror(-wanted))));
}

void SystemdNotifier::frameTicked(bool viewShown, const StationState &state)
{
    if (!ready) {
        if (viewShown)
            announceReady(state);
        return;
    }
    if (pingIntervalMs > 0 && now() - lastPingMs >= pingIntervalMs) {
        lastPingMs = now();
        send("WATCHDOG=1");
    }
    if (statusDue(state))
        tellStatus(state, "");
}

// The manager's watchdog starts with readiness, and so do the pings.
void SystemdNotifier::announceReady(const StationState &state)
{
    ready = true;
    lastPingMs = now();
    tellStatus(state, "READY=1\n");
}

bool SystemdNotifier::statusDue(const StationState &state) const
{
    return state != told &&
           (!state.sameSituation(told) || now() - lastStatusMs >= kCountIntervalMs);
}

// before: whole lines of the same message that go ahead of the status.
void SystemdNotifier::tellStatus(const StationState &state, const char *before)
{
    told = state;
    lastStatusMs = now();
    send(QByteArray(before) + "STATUS=" + statusLine(server, state).toUtf8());
}

// A manager that cannot be told is said once per run of failures, not once a
// frame; the client goes on showing its radar either way.
void SystemdNotifier::send(const QByteArray &message)
{
    const int result = sd_notify(0, message.constData());
    if (result < 0 && !failing)
        printClientMessage(
            QStringLiteral("cannot tell the service manager how the client fares: %1")
                .arg(QString::fromLocal8Bit(std::strerror(-result))));
    failing = result < 0;
}
