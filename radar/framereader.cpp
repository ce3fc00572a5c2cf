#include "framereader.h"

#include "wirecodec.h"

#include <algorithm>

static_assert(FrameReader::kCapacityBytes >= wire::kMaxFrameBytes,
              "a whole frame must fit the reader");

qint64 FrameReader::append(const char *bytes, qint64 size)
{
    const qint64 taken = std::min(size, room());
    if (taken <= 0)
        return 0;
    makeRoomAtTheEnd(taken);
    buffer.insert(buffer.end(), bytes, bytes + taken);
    return taken;
}

// Parsed bytes are dropped from the front only when they are at least half of
// the buffer or stand in the way of the bound: each byte moves at most once
// on average, and the buffer stops growing once it has held the most bytes
// that arrive at once.
void FrameReader::makeRoomAtTheEnd(qint64 bytes)
{
    const size_t unread = buffer.size() - readPos;
    const bool mostlyParsed = readPos >= unread;
    const bool overBound = qint64(buffer.size()) + bytes > kCapacityBytes;
    if (readPos > 0 && (mostlyParsed || overBound)) {
        buffer.erase(buffer.begin(), buffer.begin() + qint64(readPos));
        readPos = 0;
    }
}

void FrameReader::consume(qint64 bytes)
{
    readPos += size_t(bytes);
    if (readPos == buffer.size()) {
        buffer.clear();
        readPos = 0;
    }
}

bool FrameReader::readSizeField()
{
    if (haveBlockSize)
        return true;
    if (bufferedBytes() < wire::kSizeFieldBytes)
        return false;
    blockSize = wire::readWord(next());
    haveBlockSize = true;
    consume(wire::kSizeFieldBytes);
    return true;
}

bool FrameReader::readFrame(TargetReport *records, int &count)
{
    if (!readSizeField() || bufferedBytes() < blockSize)
        return false;
    const bool first = frames == 0;
    const int headerBytes = wire::bodyBytes(first, 0);
    if (bufferedBytes() < headerBytes)
        return false;
    const int announced = wire::readWord(next() + headerBytes - wire::kCountFieldBytes);
    if (bufferedBytes() < wire::bodyBytes(first, announced))
        return false;

    consume(headerBytes);
    haveBlockSize = false;
    count = std::min(announced, MaxTargets);
    const char *at = next();
    for (int i = 0; i < count; ++i, at += wire::kRecordBytes) {
        const wire::Record record = wire::readRecord(at);
        records[i] = TargetReport{record.x, record.y, float(record.value)};
    }
    // Records beyond the buffer are consumed too, so that the stream stays in step.
    consume(qint64(announced) * wire::kRecordBytes);
    ++frames;
    return true;
}

// A new reader's state in every member, so that state added later cannot be
// left out here.
void FrameReader::reset()
{
    *this = FrameReader();
}
