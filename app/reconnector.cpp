#include "reconnector.h"

#include "logic.h"

#include <QTimer>

#include <iostream>

namespace
{

// Attempts start this far apart, and an attempt that has not connected by
// the next one's start is given up: the usual wait for a connection.
constexpr int kAttemptIntervalMs = 1000;
constexpr double kMsPerSecond = 1000.0;
constexpr int kSecondsPrecision = 1; // digits after the point in the outage's length

} // namespace

Reconnector::Reconnector(Logic *logic, const QString &host, quint16 port, QObject *parent)
    : QObject(parent), logic(logic), host(host), port(port), attemptTimer(new QTimer(this))
{
    attemptTimer->setInterval(kAttemptIntervalMs);
    connect(attemptTimer, SIGNAL(timeout()), this, SLOT(attempt()));
}

bool Reconnector::isActive() const
{
    return outageClock.isValid();
}

void Reconnector::begin(bool neverConnected)
{
    outageClock.start();
    std::cerr << (neverConnected ? "Could not connect to the server " : "Server-connection lost: ")
              << server().toStdString() << "; trying again every second" << std::endl;
    // The first attempt drops what the lost connection brought.
    attempt();
    attemptTimer->start();
}

void Reconnector::end()
{
    attemptTimer->stop();
    const double seconds = outageClock.elapsed() / kMsPerSecond;
    outageClock.invalidate();
    std::cerr << "Server-connection back: " << server().toStdString() << ", after "
              << QString::number(seconds, 'f', kSecondsPrecision).toStdString() << " s without"
              << std::endl;
}

void Reconnector::attempt()
{
    if (!logic->isConnected())
        logic->startConnecting(host, port);
}

QString Reconnector::server() const
{
    return host + QLatin1String(" port ") + QString::number(port);
}
