#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// A radar server stand-in on 127.0.0.1 with a free port: accepts one client and
// lets the test write raw bytes to it and read what the client sent.
class LoopbackServer
{
public:
    LoopbackServer();

    quint16 port() const { return server.serverPort(); }

    // Waits (running the event loop) until the client has connected.
    bool acceptClient(int timeoutMs = 2000);
    void send(const QByteArray &bytes);
    QByteArray receivedBytes();
    // True once everything sent has left the server's write buffer.
    bool allSent() const { return client->bytesToWrite() == 0; }
    void dropClient();

private:
    QTcpServer server;
    QTcpSocket *client = nullptr;
};

// A loopback port that was free a moment ago, where nothing listens now: a
// connection to it is refused.
quint16 closedLoopbackPort();

// Runs the event loop until done() holds or the time runs out; returns done().
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 3000);

// Runs the event loop for about ms milliseconds.
void spinEvents(int ms);
