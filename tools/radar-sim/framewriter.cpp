#include "framewriter.h"

#include <QTcpSocket>

FrameWriter::FrameWriter(QTcpSocket &s, bool pair, int byteDelayMs, QObject *parent)
    : QObject(parent), socket(s), pairFrames(pair)
{
    trickleTimer.setInterval(byteDelayMs);
    trickleTimer.setTimerType(Qt::PreciseTimer);
    connect(&trickleTimer, &QTimer::timeout, this, &FrameWriter::writeNextByte);
}

int FrameWriter::send(const QByteArray &frame)
{
    if (!pairFrames) {
        write(frame);
        return 1;
    }
    if (!holding) {
        heldFrame = frame;
        holding = true;
        return 0;
    }
    holding = false;
    write(heldFrame + frame);
    heldFrame.clear();
    return 2;
}

qint64 FrameWriter::backlog() const
{
    return trickle.size() - trickleNext + socket.bytesToWrite();
}

void FrameWriter::write(const QByteArray &bytes)
{
    if (trickleTimer.interval() <= 0) {
        socket.write(bytes);
        return;
    }
    trickle.append(bytes);
    if (!trickleTimer.isActive())
        trickleTimer.start();
}

void FrameWriter::writeNextByte()
{
    // A connection reset in the middle of a frame takes no more bytes.
    if (trickleNext >= trickle.size() || !socket.isOpen()) {
        trickle.clear();
        trickleNext = 0;
        trickleTimer.stop();
        return;
    }
    socket.write(trickle.constData() + trickleNext, 1);
    socket.flush();
    ++trickleNext;
}
