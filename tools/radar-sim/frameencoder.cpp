#include "frameencoder.h"

#include "wirecodec.h"

#include <algorithm>

QByteArray FrameEncoder::encode(const TargetList &targets, bool firstFrame, quint16 extraWord)
{
    const int count = int(std::min<qsizetype>(targets.size(), kMaxEncodableCount));
    const int body = wire::bodyBytes(firstFrame, count);
    QByteArray frame(wire::kSizeFieldBytes + body, Qt::Uninitialized);
    char *at = frame.data();
    wire::writeWord(at, static_cast<quint16>(body));
    at += wire::kSizeFieldBytes;
    if (!firstFrame) {
        wire::writeWord(at, extraWord);
        at += wire::kExtraWordBytes;
    }
    wire::writeWord(at, static_cast<quint16>(count));
    at += wire::kCountFieldBytes;
    for (int i = 0; i < count; ++i, at += wire::kRecordBytes)
        wire::writeRecord(at, wire::Record{targets[i].x, targets[i].y, targets[i].value});
    return frame;
}

void FrameEncoder::shortenSizeField(QByteArray &frame, int shortfall)
{
    if (frame.size() < wire::kSizeFieldBytes || shortfall <= 0)
        return;
    const int size = wire::readWord(frame.constData());
    wire::writeWord(frame.data(), static_cast<quint16>(std::max(0, size - shortfall)));
}
