#pragma once

#include "faultoptions.h"
#include "recording.h"
#include "simstats.h"
#include "targetsource.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <memory>
#include <vector>

class StatusLine;

// The simulator's TCP server. Serves any number of clients at once, each on
// its own SimConnection: either the targets of one shared world, whose clock
// starts when the server starts listening, or a recording replayed to each
// client from the moment it connects.
class SimServer : public QObject
{
    Q_OBJECT

public:
    SimServer(std::unique_ptr<TargetSource> world, const FaultOptions &faults,
              QObject *parent = nullptr);
    SimServer(std::vector<RecordedFrame> recording, bool loop, const FaultOptions &faults,
              QObject *parent = nullptr);
    ~SimServer() override;

    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const { return server.serverPort(); }
    const SimStats &stats() const { return counters; }

    // Starts the once-a-second status line on standard error.
    void reportStatus();

private slots:
    void acceptConnections();

private:
    void serve(QTcpSocket *socket);

    QTcpServer server;
    std::unique_ptr<TargetSource> world; // null when replaying
    std::vector<RecordedFrame> recording;
    bool loop = false;
    FaultOptions faults;
    SimStats counters;
    QElapsedTimer clock;
    StatusLine *status = nullptr;
};
