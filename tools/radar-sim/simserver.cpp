#include "simserver.h"

#include "replayfeeder.h"
#include "simconnection.h"

#include <QTcpSocket>

#include <utility>

namespace
{

constexpr double kMsPerSecond = 1000.0;

} // namespace

SimServer::SimServer(std::unique_ptr<TargetSource> w, const FaultOptions &f, QObject *parent)
    : SimListener(parent), world(std::move(w)), faults(f)
{
    applyListenerFaults();
}

SimServer::SimServer(std::vector<RecordedFrame> r, bool l, const FaultOptions &f, QObject *parent)
    : SimListener(parent), recording(std::move(r)), loop(l), faults(f)
{
    applyListenerFaults();
}

void SimServer::applyListenerFaults()
{
    if (faults.acceptDelayMs > 0)
        delayAccepting(faults.acceptDelayMs);
}

void SimServer::serve(QTcpSocket *socket)
{
    if (faults.refuse) {
        // The kernel has completed the handshake already; the client sees
        // its connection reset before any byte arrives.
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto *connection = new SimConnection(socket, faults, tally(), this);
    if (world) {
        TargetSource *source = world.get();
        const QElapsedTimer *since = &sinceListening();
        connection->answerRequests(
            [source, since] { return source->targetsAt(since->elapsed() / kMsPerSecond); });
        return;
    }
    (new ReplayFeeder(recording, loop, connection))->start();
}
