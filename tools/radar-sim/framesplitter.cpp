#include "framesplitter.h"

#include "wirecodec.h"

#include <algorithm>

std::vector<RecordedFrame> FrameSplitter::feed(const QByteArray &bytes, quint32 milliseconds)
{
    pending.append(bytes);
    std::vector<RecordedFrame> frames;
    while (pending.size() >= wire::kSizeFieldBytes) {
        const int size = wire::readWord(pending.constData());
        if (pending.size() < wire::kSizeFieldBytes + size)
            break;
        RecordedFrame frame = decode(pending.mid(wire::kSizeFieldBytes, size));
        frame.milliseconds = milliseconds;
        frames.push_back(std::move(frame));
        pending.remove(0, wire::kSizeFieldBytes + size);
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
        frame.extraWord = wire::readWord(at);
        at += wire::kExtraWordBytes;
    }
    const int count = wire::readWord(at);
    at += wire::kCountFieldBytes;
    const int fitting =
        int(std::min<qsizetype>(count, (body.size() - header) / wire::kRecordBytes));
    if (fitting != count || body.size() != header + count * wire::kRecordBytes)
        ++malformed;
    for (int i = 0; i < fitting; ++i, at += wire::kRecordBytes) {
        const wire::Record record = wire::readRecord(at);
        frame.targets.append(SimTarget{record.x, record.y, record.value});
    }
    return frame;
}
