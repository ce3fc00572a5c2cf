#include "framesplitter.h"

#include "wireformat.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace
{

constexpr int kFloatBytes = 4;

quint16 readWord(const char *at)
{
    return qFromBigEndian<quint16>(at);
}

float readFloat(const char *at)
{
    const quint32 bits = qFromBigEndian<quint32>(at);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

std::vector<RecordedFrame> FrameSplitter::feed(const QByteArray &bytes, quint32 milliseconds)
{
    pending.append(bytes);
    std::vector<RecordedFrame> frames;
    while (pending.size() >= wire::SizeFieldBytes) {
        const int size = readWord(pending.constData());
        if (pending.size() < wire::SizeFieldBytes + size)
            break;
        RecordedFrame frame = decode(pending.mid(wire::SizeFieldBytes, size));
        frame.milliseconds = milliseconds;
        frames.push_back(std::move(frame));
        pending.remove(0, wire::SizeFieldBytes + size);
    }
    return frames;
}

RecordedFrame FrameSplitter::decode(const QByteArray &body)
{
    RecordedFrame frame{0, 0, {}};
    const int header = wire::bodyBytes(firstFrame, 0);
    const bool hadExtraWord = !firstFrame;
    firstFrame = false;
    if (body.size() < header) {
        ++malformed;
        return frame;
    }
    const char *at = body.constData();
    if (hadExtraWord) {
        frame.extraWord = readWord(at);
        at += wire::ExtraWordBytes;
    }
    const int count = readWord(at);
    at += wire::CountFieldBytes;
    const int fitting = std::min(count, (body.size() - header) / wire::RecordBytes);
    if (fitting != count || body.size() != header + count * wire::RecordBytes)
        ++malformed;
    for (int i = 0; i < fitting; ++i, at += wire::RecordBytes) {
        frame.targets.append(
            SimTarget{readFloat(at), readFloat(at + kFloatBytes), readWord(at + 2 * kFloatBytes)});
    }
    return frame;
}
