#pragma once

#include "target.h"

#include <QtGlobal>

#include <vector>

// Cuts the byte stream from the radar server into frames and decodes their
// records. Bytes go in as they arrive, in pieces of any size; the reader holds
// at most kCapacityBytes of them, so whoever feeds it from a connection leaves
// the rest there (and TCP holds a flooding server back).
//
// The first frame has no extra word. A frame announcing more than MaxTargets
// targets gives its first MaxTargets and the rest is consumed, so that the
// stream stays in step. The size field alone is not trusted to cover the
// records: a frame is parsed once the size field's bytes and those that its
// count implies have both arrived; a size larger than the fields leaves the
// excess as the start of the next frame.
class FrameReader
{
public:
    // Room for the largest frame the wire format can describe.
    static constexpr qint64 kCapacityBytes = 1 << 20;

    // Takes as many of the bytes as there is room for; returns how many.
    qint64 append(const char *bytes, qint64 size);

    qint64 room() const { return kCapacityBytes - bufferedBytes(); }
    // Bytes taken and not yet parsed (a size field already read is not counted).
    qint64 bufferedBytes() const { return qint64(buffer.size() - readPos); }
    qint64 framesRead() const { return frames; }

    // Parses the next frame if all of it has arrived: up to MaxTargets records
    // into records, their number into count. False, with nothing changed,
    // when more bytes are needed.
    bool readFrame(TargetReport *records, int &count);

    // Forgets everything a connection left behind: the bytes not yet parsed,
    // a size field already read and the frames counted. The next bytes are
    // read as a new connection's, its first frame without the extra word. The
    // buffer's memory is given back too.
    void reset();

private:
    bool readSizeField();
    const char *next() const { return buffer.data() + readPos; }
    void consume(qint64 bytes);
    void makeRoomAtTheEnd(qint64 bytes);

    std::vector<char> buffer;   // grows up to kCapacityBytes, then is reused
    size_t readPos = 0;         // bytes of buffer already parsed
    quint16 blockSize = 0;      // size field of the frame being received
    bool haveBlockSize = false; // a size of 0 is legal on the wire
    qint64 frames = 0;
};
