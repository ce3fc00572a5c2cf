#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// Puts encoded frames on one connection, normally one write per frame. It can
// instead hold every other frame back and write two frames in one go, or let
// the bytes trickle out one at a time with a delay between them.
class FrameWriter : public QObject
{
    Q_OBJECT

public:
    FrameWriter(QTcpSocket &socket, bool pairFrames, int byteDelayMs, QObject *parent);

    // Returns how many frames this call handed on (0 while one is held back).
    int send(const QByteArray &frame);

    // Bytes accepted but not yet handed to the socket, plus the socket's own
    // backlog: what a sender should watch before adding more.
    qint64 backlog() const;

private slots:
    void writeNextByte();

private:
    void write(const QByteArray &bytes);

    QTcpSocket &socket;
    const bool pairFrames;
    QByteArray heldFrame;
    bool holding = false;
    QByteArray trickle; // bytes to go out one by one, from trickleNext on
    int trickleNext = 0;
    QTimer trickleTimer;
};
