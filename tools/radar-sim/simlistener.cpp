#include "simlistener.h"

#include "acceptgate.h"
#include "statusline.h"

#include <QHostAddress>
#include <QTcpSocket>

SimListener::SimListener(QObject *parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &SimListener::acceptConnections);
}

// The clients' objects write to the counters as they go, so they go first.
// The subclass's members are gone by now; a client's destructor uses none.
SimListener::~SimListener()
{
    const QObjectList clients = children();
    qDeleteAll(clients);
}

void SimListener::delayAccepting(int delayMs)
{
    gate = new AcceptGate(server, delayMs, this);
}

bool SimListener::listen(const QHostAddress &address, quint16 port, QString &error)
{
    QString reason;
    const bool listening =
        gate != nullptr ? gate->listen(address, port, reason) : server.listen(address, port);
    if (!listening) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(address.toString())
                    .arg(port)
                    .arg(gate != nullptr ? reason : server.errorString());
        return false;
    }
    clock.start();
    return true;
}

void SimListener::reportStatus()
{
    if (!status)
        status = new StatusLine(counters, this);
    status->start();
}

void SimListener::acceptConnections()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        if (gate != nullptr && gate->isPlug(*socket)) {
            delete socket;
            continue;
        }
        ++counters.accepted;
        serve(socket);
        if (gate != nullptr)
            gate->closeAgain();
    }
}
