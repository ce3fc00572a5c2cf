#pragma once

#include "loopbackserver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtEndian>

#include <cstring>
#include <functional>
#include <vector>

// Helpers shared by the simulator's network tests. Server and client run on
// the test's own thread, so waiting means running the event loop.
namespace simtest
{

using ::waitUntil;

inline void spin(int ms)
{
    spinEvents(ms);
}

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
    bool waitForDisconnect(int timeoutMs = 3000)
    {
        return waitUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; },
                         timeoutMs);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    bool waitForBytes(int count, int timeoutMs = 3000)
    {
        return waitUntil([this, count] { return received.size() >= count; }, timeoutMs);
    }
};

// Big-endian wire pieces, for building expected frames by hand in tests that
// are not about the encoder itself.
inline QByteArray u16(quint16 v)
{
    QByteArray out(2, '\0');
    qToBigEndian(v, out.data());
    return out;
}

inline QByteArray f32(float v)
{
    quint32 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray out(4, '\0');
    qToBigEndian(bits, out.data());
    return out;
}

} // namespace simtest

namespace simtest
{

// One frame cut from a received byte stream by its size field.
struct WireFrame {
    int size;        // the size field
    QByteArray body; // the size bytes after it
};

// Splits bytes into whole frames by their size fields; a trailing partial
// frame is left out.
inline std::vector<WireFrame> splitFrames(const QByteArray &bytes)
{
    std::vector<WireFrame> frames;
    int at = 0;
    while (bytes.size() - at >= 2) {
        const int size = qFromBigEndian<quint16>(bytes.constData() + at);
        if (bytes.size() - at - 2 < size)
            break;
        frames.push_back({size, bytes.mid(at + 2, size)});
        at += 2 + size;
    }
    return frames;
}

} // namespace simtest
