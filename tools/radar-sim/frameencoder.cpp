#include "frameencoder.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>

QByteArray FrameEncoder::encode(const TargetList &targets, bool firstFrame, quint16 extraWord)
{
    const int count = std::min(targets.size(), MaxEncodableCount);
    const int body = wire::bodyBytes(firstFrame, count);
    QByteArray frame;
    frame.reserve(wire::SizeFieldBytes + body);
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(wire::StreamVersion);
    out.setByteOrder(QDataStream::BigEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << static_cast<quint16>(body);
    if (!firstFrame)
        out << extraWord;
    out << static_cast<quint16>(count);
    for (int i = 0; i < count; ++i)
        out << targets[i].x << targets[i].y << targets[i].value;
    return frame;
}

void FrameEncoder::shortenSizeField(QByteArray &frame, int shortfall)
{
    if (frame.size() < wire::SizeFieldBytes || shortfall <= 0)
        return;
    uchar *sizeField = reinterpret_cast<uchar *>(frame.data());
    const int size = qFromBigEndian<quint16>(sizeField);
    qToBigEndian(static_cast<quint16>(std::max(0, size - shortfall)), sizeField);
}
