// The client's frame reader on arbitrary bytes in arbitrary chunks.
//
// Input: byte 0 gives how many chunk lengths follow (1 to 8), each length byte
// b gives a chunk of b + 1 bytes, used in turn; the rest is the stream. The
// stream is given chunk by chunk to one reader, which parses every frame it
// can after each chunk, as the client does when the socket reports data, and
// whole to another. The outcome must not depend on the chunking: the same
// frames with the same records bit for bit, the same bytes left unparsed. No
// frame may give more than MaxTargets records, and no reader may hold more
// than its bound.
#include "framereader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr int kMaxChunkLengths = 8;
// Beyond this many chunks the rest of the stream goes in one, so that a long
// stream of one-byte chunks cannot make a single run slow.
constexpr int kMaxChunks = 64;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "framereader_fuzz: %s\n", what);
    std::abort();
}

// What a reader gave: every frame's records, one after the other, and how
// many there were in each.
struct Outcome {
    std::vector<TargetReport> records;
    std::vector<int> counts;
    qint64 unparsed = 0;
};

void parseAll(FrameReader &reader, Outcome &outcome)
{
    static TargetReport frame[MaxTargets];
    int count = -1;
    while (reader.readFrame(frame, count)) {
        if (count < 0 || count > MaxTargets)
            fail("a frame gave a count outside 0..MaxTargets");
        outcome.counts.push_back(count);
        outcome.records.insert(outcome.records.end(), frame, frame + count);
    }
    if (reader.bufferedBytes() > FrameReader::kCapacityBytes)
        fail("the reader holds more than its bound");
}

// Gives the reader all of the bytes, parsing whenever it is full.
void deliver(FrameReader &reader, const char *bytes, qint64 size, Outcome &outcome)
{
    while (size > 0) {
        const qint64 taken = reader.append(bytes, size);
        bytes += taken;
        size -= taken;
        parseAll(reader, outcome);
        if (taken == 0 && reader.room() == 0)
            fail("a full reader parsed nothing");
    }
}

Outcome deliverInChunks(const char *stream, int size, const uint8_t *lengths, int lengthCount)
{
    FrameReader reader;
    Outcome outcome;
    int offset = 0;
    for (int chunk = 0; offset < size; ++chunk) {
        const int wanted = chunk + 1 < kMaxChunks ? lengths[chunk % lengthCount] + 1 : size;
        const int length = wanted < size - offset ? wanted : size - offset;
        deliver(reader, stream + offset, length, outcome);
        offset += length;
    }
    outcome.unparsed = reader.bufferedBytes();
    return outcome;
}

Outcome deliverWhole(const char *stream, int size)
{
    FrameReader reader;
    Outcome outcome;
    deliver(reader, stream, size, outcome);
    outcome.unparsed = reader.bufferedBytes();
    return outcome;
}

bool sameRecord(const TargetReport &a, const TargetReport &b)
{
    // Bit for bit: NaN coordinates from the wire must survive unchanged too.
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int lengthCount = data[0] % kMaxChunkLengths + 1;
    if (size < size_t(1 + lengthCount))
        return 0;
    const uint8_t *lengths = data + 1;
    const char *stream = reinterpret_cast<const char *>(data + 1 + lengthCount);
    const int streamSize = int(size) - 1 - lengthCount;

    const Outcome chunked = deliverInChunks(stream, streamSize, lengths, lengthCount);
    const Outcome whole = deliverWhole(stream, streamSize);
    if (chunked.unparsed != whole.unparsed)
        fail("chunking changed the number of unparsed bytes");
    if (chunked.counts != whole.counts)
        fail("chunking changed the frames or their counts");
    for (size_t i = 0; i < whole.records.size(); ++i)
        if (!sameRecord(chunked.records[i], whole.records[i]))
            fail("chunking changed a record");
    return 0;
}
