#pragma once

#include "simstats.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTcpServer>

class AcceptGate;
class QHostAddress;
class QTcpSocket;
class StatusLine;

// What every kind of radar-sim server shares: a TCP server that counts each
// client it accepts and hands it to serve(), the counters of the status line
// and the line itself. The clients' objects are its children; they count
// themselves out of the counters as they go.
class SimListener : public QObject
{
    Q_OBJECT

public:
    ~SimListener() override;

    quint16 port() const { return server.serverPort(); }
    const SimStats &stats() const { return counters; }

    // Starts the once-a-second status line on standard error.
    void reportStatus();

protected:
    explicit SimListener(QObject *parent);

    // Before listen(): every connection waits delayMs in a full accept queue.
    void delayAccepting(int delayMs);
    // Starts listening and the clock; on failure error says where and why.
    bool listen(const QHostAddress &address, quint16 port, QString &error);

    // Takes over the socket of a client just accepted and counted.
    virtual void serve(QTcpSocket *socket) = 0;

    // The counters, for the clients to count themselves in.
    SimStats &tally() { return counters; }
    // Time since listening began.
    const QElapsedTimer &sinceListening() const { return clock; }

private slots:
    void acceptConnections();

private:
    QTcpServer server;
    SimStats counters;
    QElapsedTimer clock;
    StatusLine *status = nullptr;
    AcceptGate *gate = nullptr; // a child, when accepting is delayed
};
