#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

// Makes connections wait in a full accept queue, as an overloaded server or
// one behind a lossy link does: the client's handshake (its SYN) is dropped by
// the kernel and sent again 1 s, 3 s, 7 s ... after the first.
//
// The server listens with room for one connection in its queue, and a
// connection of the gate's own, the plug, fills it for the delay after the
// server starts listening and after each connection it accepts. Then the
// plug is taken out, and the next client gets in with its next SYN.
class AcceptGate : public QObject
{
    Q_OBJECT

public:
    AcceptGate(QTcpServer &server, int delayMs, QObject *parent);
    ~AcceptGate() override;

    // Makes server listen on address:port with the plug in its queue; false,
    // with the system's reason in error, when it cannot.
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    // True when accepted is the plug's own connection: the caller drops it
    // uncounted.
    bool isPlug(const QTcpSocket &accepted);
    // A client's connection has been accepted: the plug goes back in.
    void closeAgain();

private slots:
    void open();

private:
    bool plug(QString &error);
    void pullPlug();

    QTcpServer &server;
    QHostAddress plugTarget; // where the plug connects: the listening address, or loopback
    quint16 port = 0;
    QTimer delay;
    int plugDescriptor = -1;
    quint16 plugPort = 0; // the plug's own end, as the server sees its peer
};
