#pragma once

#include "logic.h"

#include <QtGlobal>

class QTcpServer;
class QTcpSocket;

// A real Logic connected over loopback TCP to a server socket of the fuzz
// target's own, which writes bytes to it. deliver() returns only once the
// logic has seen every byte sent so far: the kernel has received them on the
// client's socket and the socket has handed them all to Qt, whose readyRead()
// has run the logic's frame reader.
class LoopbackFeed
{
public:
    explicit LoopbackFeed(QTcpServer &server);
    ~LoopbackFeed();
    LoopbackFeed(const LoopbackFeed &) = delete;
    LoopbackFeed &operator=(const LoopbackFeed &) = delete;

    // False when the connection could not be made; the feed is then unusable.
    bool isConnected() const { return clientFd >= 0; }

    // Sends size bytes and waits until the logic has seen them; false when
    // that does not happen in time.
    bool deliver(const char *bytes, qint64 size);

    Logic logic;

private:
    qint64 bytesAtClient() const;

    QTcpSocket *peer = nullptr;
    int clientFd = -1;
    qint64 sent = 0;
};
