#include "simconnection.h"

#include "frameencoder.h"
#include "framewriter.h"
#include "simstats.h"
#include "wireformat.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <cstdio>

#include <utility>

namespace
{

constexpr int kMsPerSecond = 1000;
// Flooding pauses while this much is still queued for a slow reader, so the
// simulator's memory stays bounded.
constexpr qint64 kFloodBacklogBytes = 256 * 1024;
// A client that asks far faster than it reads gets no more answers until it
// catches up: without this cap its requests would grow the queue without end.
constexpr qint64 kAnswerBacklogBytes = 8 * 1024 * 1024;

} // namespace

SimConnection::SimConnection(QTcpSocket *s, const FaultOptions &f, SimStats &st, QObject *parent)
    : QObject(parent), socket(s), faults(f), stats(st),
      writer(new FrameWriter(*s, f.pairFrames, f.byteDelayMs, this))
{
    socket->setParent(this);
    // Small frames and single bytes must leave at once, not wait for Nagle.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++stats.connections;
    connect(socket, &QTcpSocket::readyRead, this, &SimConnection::readRequests);
    connect(socket, &QTcpSocket::disconnected, this, &SimConnection::forget);
    startFaultTimers();
}

SimConnection::~SimConnection()
{
    if (counted)
        --stats.connections;
}

void SimConnection::answerRequests(TargetProvider p)
{
    provider = std::move(p);
}

void SimConnection::startFaultTimers()
{
    if (faults.closeAfterSeconds > 0)
        QTimer::singleShot(faults.closeAfterSeconds * kMsPerSecond, this, &SimConnection::closeNow);
    if (faults.resetAfterMs > 0)
        QTimer::singleShot(faults.resetAfterMs, this, &SimConnection::resetNow);
    if (faults.flooding()) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &SimConnection::flood);
        timer->start(faults.floodIntervalMs);
    }
}

void SimConnection::sendFrame(const TargetList &targets, quint16 extraWord)
{
    if (faults.silencedAfter(stats.framesSent))
        return;
    const TargetList sent = faults.oversizeCount > 0 ? faults.padded(targets) : targets;
    QByteArray frame = FrameEncoder::encode(sent, firstFrame, extraWord);
    faults.shape(frame);
    firstFrame = false;
    stats.framesSent += writer->send(frame);
    if (faults.silencedAfter(stats.framesSent))
        announceSilence();
}

// Said once, when the last frame has gone, so that whoever watches a client
// knows from when on it hears nothing.
void SimConnection::announceSilence()
{
    std::fprintf(stderr,
                 "radar-sim: silent from now on, after %lld frames; connections stay open\n",
                 static_cast<long long>(stats.framesSent));
    std::fflush(stderr);
}

void SimConnection::readRequests()
{
    const QByteArray bytes = socket->readAll();
    for (char byte : bytes) {
        if (static_cast<quint8>(byte) != wire::kRequestByte) {
            ++stats.otherBytes;
            continue;
        }
        ++stats.requests;
        // A flooding server does not wait for requests, so it does not answer them either.
        if (provider && !faults.flooding() && writer->backlog() < kAnswerBacklogBytes)
            sendFrame(provider(), nextSequence());
    }
}

void SimConnection::flood()
{
    if (provider && writer->backlog() < kFloodBacklogBytes)
        sendFrame(provider(), nextSequence());
}

void SimConnection::closeNow()
{
    socket->disconnectFromHost();
}

// Lingering for no time makes closing the socket send a reset at once,
// dropping whatever is still queued, instead of the orderly close.
void SimConnection::resetNow()
{
    const linger noLinger{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof noLinger);
    socket->abort();
    forget();
}

void SimConnection::forget()
{
    if (counted) {
        --stats.connections;
        counted = false;
    }
    deleteLater();
}
