#include "simserver.h"

#include "listening.h"
#include "replayfeeder.h"
#include "simconnection.h"
#include "statusline.h"

#include <QTcpSocket>

#include <utility>

namespace
{

constexpr double kMsPerSecond = 1000.0;

} // namespace

SimServer::SimServer(std::unique_ptr<TargetSource> w, const FaultOptions &f, QObject *parent)
    : QObject(parent), world(std::move(w)), faults(f)
{
    connect(&server, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
}

SimServer::SimServer(std::vector<RecordedFrame> r, bool l, const FaultOptions &f, QObject *parent)
    : QObject(parent), recording(std::move(r)), loop(l), faults(f)
{
    connect(&server, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
}

// The connections refer to the counters, the world and the recording, so they
// go first, before the members they use.
SimServer::~SimServer()
{
    qDeleteAll(findChildren<SimConnection *>(QString(), Qt::FindDirectChildrenOnly));
}

bool SimServer::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (!listenOn(server, address, port, error))
        return false;
    clock.start();
    return true;
}

void SimServer::reportStatus()
{
    if (!status)
        status = new StatusLine(counters, this);
    status->start();
}

void SimServer::acceptConnections()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        ++counters.accepted;
        if (faults.refuse) {
            // The kernel has completed the handshake already; the client sees
            // its connection reset before any byte arrives.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

void SimServer::serve(QTcpSocket *socket)
{
    auto *connection = new SimConnection(socket, faults, counters, this);
    if (world) {
        TargetSource *source = world.get();
        const QElapsedTimer *since = &clock;
        connection->answerRequests(
            [source, since] { return source->targetsAt(since->elapsed() / kMsPerSecond); });
        return;
    }
    (new ReplayFeeder(recording, loop, connection))->start();
}
