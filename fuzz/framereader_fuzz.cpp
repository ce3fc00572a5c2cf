// The client's frame reader on arbitrary bytes in arbitrary chunks, over one
// or more connections.
//
// Input: byte 0 gives how many chunk lengths follow (bits 0-2: 1 to 8) and how
// many reset offsets follow them (bits 3-7: 0 to 31). Each length byte b gives
// a chunk of b + 1 bytes, used in turn; each reset offset, two bytes
// big-endian and taken modulo the stream's size + 1, is where one connection
// ends and the next begins. The rest is the stream.
//
// The stream is given chunk by chunk to one reader, which parses every frame it
// can after each chunk, as the client does when the socket reports data, and
// connection by connection, whole, to another; both are reset between
// connections, and no chunk spans two of them. The outcome must not depend on
// the chunking: the same frames with the same records bit for bit, the same
// bytes left unparsed, connection by connection. After a reset a reader must
// give what a new reader given that connection's bytes gives. No frame may
// give more than MaxTargets records, and no reader may hold more than its bound.
#include "framereader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr int kMaxChunkLengths = 8;
constexpr int kChunkLengthBits = 3;
constexpr int kOffsetBytes = 2;
// Beyond this many chunks the rest of each connection goes in one, so that a
// long stream of one-byte chunks cannot make a single run slow.
constexpr int kMaxChunks = 64;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "framereader_fuzz: %s\n", what);
    std::abort();
}

// What a reader gave on one connection: every frame's records, one after the
// other, and how many there were in each.
struct Outcome {
    std::vector<TargetReport> records;
    std::vector<int> counts;
    qint64 unparsed = 0;
    qint64 frames = 0;
};

using Outcomes = std::vector<Outcome>; // one per connection

// The fuzzer's input taken apart.
struct Input {
    const uint8_t *lengths = nullptr;
    int lengthCount = 0;
    std::vector<int> connectionEnds; // stream offsets, ascending, the last the stream's size
    const char *stream = nullptr;
    int streamSize = 0;
};

bool readInput(const uint8_t *data, size_t size, Input &input)
{
    if (size < 1)
        return false;
    input.lengthCount = data[0] % kMaxChunkLengths + 1;
    const int resetCount = data[0] >> kChunkLengthBits;
    const size_t header = 1 + size_t(input.lengthCount) + size_t(resetCount) * kOffsetBytes;
    if (size < header)
        return false;
    input.lengths = data + 1;
    input.stream = reinterpret_cast<const char *>(data + header);
    input.streamSize = int(size - header);
    const uint8_t *offsets = input.lengths + input.lengthCount;
    for (int i = 0; i < resetCount; ++i, offsets += kOffsetBytes) {
        const int offset = (offsets[0] << 8) | offsets[1];
        input.connectionEnds.push_back(offset % (input.streamSize + 1));
    }
    std::sort(input.connectionEnds.begin(), input.connectionEnds.end());
    input.connectionEnds.push_back(input.streamSize);
    return true;
}

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

// Ends a connection: what is left unparsed is part of its outcome.
void finish(FrameReader &reader, Outcome &outcome)
{
    outcome.unparsed = reader.bufferedBytes();
    outcome.frames = reader.framesRead();
}

Outcomes deliverInChunks(const Input &input)
{
    FrameReader reader;
    Outcomes outcomes;
    int offset = 0;
    int chunk = 0;
    for (int end : input.connectionEnds) {
        if (!outcomes.empty())
            reader.reset();
        outcomes.emplace_back();
        for (; offset < end; ++chunk) {
            const int wanted = chunk + 1 < kMaxChunks ? input.lengths[chunk % input.lengthCount] + 1
                                                      : input.streamSize;
            const int length = std::min(wanted, end - offset);
            deliver(reader, input.stream + offset, length, outcomes.back());
            offset += length;
        }
        finish(reader, outcomes.back());
    }
    return outcomes;
}

// Each connection whole, to one reader reset between them, or to a new reader each.
Outcomes deliverWhole(const Input &input, bool newReaderEach)
{
    FrameReader reused;
    Outcomes outcomes;
    int offset = 0;
    for (int end : input.connectionEnds) {
        FrameReader fresh;
        FrameReader &reader = newReaderEach ? fresh : reused;
        if (!newReaderEach && !outcomes.empty())
            reader.reset();
        outcomes.emplace_back();
        deliver(reader, input.stream + offset, end - offset, outcomes.back());
        finish(reader, outcomes.back());
        offset = end;
    }
    return outcomes;
}

bool sameRecord(const TargetReport &a, const TargetReport &b)
{
    // Bit for bit: NaN coordinates from the wire must survive unchanged too.
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameOutcome(const Outcome &a, const Outcome &b)
{
    return a.unparsed == b.unparsed && a.frames == b.frames && a.counts == b.counts &&
           std::equal(a.records.begin(), a.records.end(), b.records.begin(), b.records.end(),
                      sameRecord);
}

bool sameOutcomes(const Outcomes &a, const Outcomes &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameOutcome);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input;
    if (!readInput(data, size, input))
        return 0;
    const Outcomes whole = deliverWhole(input, false);
    if (!sameOutcomes(deliverInChunks(input), whole))
        fail("chunking changed the frames, their records or the bytes left unparsed");
    if (!sameOutcomes(deliverWhole(input, true), whole))
        fail("a reset reader read a connection differently from a new reader");
    return 0;
}
