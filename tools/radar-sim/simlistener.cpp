#include "simlistener.h"

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

bool SimListener::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (!server.listen(address, port)) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(address.toString())
                    .arg(port)
                    .arg(server.errorString());
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
        ++counters.accepted;
        serve(socket);
    }
}
