// The client's frame reader on arbitrary bytes in arbitrary chunks, through a
// real Logic on a loopback connection.
//
// Input: byte 0 gives how many chunk lengths follow (1 to 8), each length byte
// b gives a chunk of b + 1 bytes, used in turn; the rest is the stream. The
// stream is delivered chunk by chunk to one Logic and whole to another. The
// outcome must not depend on the chunking: the same targets after a rebuild,
// the same bytes left unparsed. No snapshot may ever hold more than MaxTargets
// targets.
#include "loopbackfeed.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>

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

QTcpServer &loopbackServer()
{
    static QTcpServer server;
    if (!server.isListening() && !server.listen(QHostAddress::LocalHost, 0))
        fail("cannot listen on loopback");
    return server;
}

// What the rest of the client can see of the logic, after one more rebuild.
struct Outcome {
    std::vector<Target> targets;
    qint64 unparsed;
};

Outcome observe(Logic &logic)
{
    logic.rebuildTargets();
    Outcome outcome{{}, logic.bufferedBytes()};
    for (int i = 0; i < logic.targetCount(); ++i)
        outcome.targets.push_back(*logic.target(i));
    return outcome;
}

void checkCapacity(Logic &logic)
{
    logic.rebuildTargets();
    if (logic.targetCount() < 0 || logic.targetCount() > MaxTargets)
        fail("a snapshot holds more than MaxTargets targets");
}

Outcome deliverInChunks(const char *stream, int size, const uint8_t *lengths, int lengthCount)
{
    LoopbackFeed feed(loopbackServer());
    if (!feed.isConnected())
        fail("no loopback connection");
    int offset = 0;
    for (int chunk = 0; offset < size; ++chunk) {
        const int wanted = chunk + 1 < kMaxChunks ? lengths[chunk % lengthCount] + 1 : size;
        const int length = wanted < size - offset ? wanted : size - offset;
        if (!feed.deliver(stream + offset, length))
            fail("a chunk was not delivered in time");
        offset += length;
        checkCapacity(feed.logic);
    }
    return observe(feed.logic);
}

Outcome deliverWhole(const char *stream, int size)
{
    LoopbackFeed feed(loopbackServer());
    if (!feed.isConnected())
        fail("no loopback connection");
    if (!feed.deliver(stream, size))
        fail("the stream was not delivered in time");
    checkCapacity(feed.logic);
    return observe(feed.logic);
}

bool sameTarget(const Target &a, const Target &b)
{
    // Bit for bit: NaN coordinates from the wire must survive unchanged too.
    return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
           a.hit == b.hit;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The fuzzer's own options are no business of Qt's.
    static int argc = 1;
    static char name[] = "framereader_fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

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
    if (chunked.targets.size() != whole.targets.size())
        fail("chunking changed the number of targets");
    for (size_t i = 0; i < whole.targets.size(); ++i)
        if (!sameTarget(chunked.targets[i], whole.targets[i]))
            fail("chunking changed a target");
    return 0;
}
