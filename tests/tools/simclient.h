#pragma once

#include "loopbackserver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <functional>

// The client side of the simulator's network tests. Server and client run on
// the test's own thread, so waiting means running the event loop.
namespace simtest
{

constexpr int kWaitMs = 3000; // how long a wait lasts unless a test says

// A client socket that keeps everything it receives; clock runs from the
// moment it starts connecting.
struct Client {
    QTcpSocket socket;
    QByteArray received;
    QElapsedTimer clock;
    std::function<void()> onReceived; // called after each arrival is appended

    void startConnecting(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            received.append(socket.readAll());
            if (onReceived)
                onReceived();
        });
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        clock.start();
    }
    bool connectTo(quint16 port)
    {
        startConnecting(port);
        return waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    bool waitForDisconnect(int timeoutMs = kWaitMs)
    {
        return waitUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; },
                         timeoutMs);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    bool waitForBytes(int count, int timeoutMs = kWaitMs)
    {
        return waitUntil([this, count] { return received.size() >= count; }, timeoutMs);
    }
};

} // namespace simtest
