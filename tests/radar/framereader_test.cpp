#include "framereader.h"
#include "frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using testframes::frame;
using testframes::Record;
using testframes::uniformFrame;
using testframes::word;

namespace
{

using Frame = std::vector<TargetReport>;

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameFrames(const std::vector<Frame> &a, const std::vector<Frame> &b)
{
    const auto sameFrame = [](const Frame &f, const Frame &g) {
        return std::equal(f.begin(), f.end(), g.begin(), g.end(),
                          [](const TargetReport &r, const TargetReport &s) {
                              return sameBits(r.x, s.x) && sameBits(r.y, s.y) &&
                                     sameBits(r.value, s.value);
                          });
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameFrame);
}

class FrameReaderTest : public testing::Test
{
protected:
    // Appends all of bytes; the tests stay far below the reader's bound.
    void append(const QByteArray &bytes) { append(reader, bytes); }
    static void append(FrameReader &to, const QByteArray &bytes)
    {
        ASSERT_EQ(to.append(bytes.constData(), bytes.size()), bytes.size());
    }

    // Every frame that the buffered bytes complete.
    std::vector<Frame> readAll() { return readAll(reader); }
    std::vector<Frame> readAll(FrameReader &from)
    {
        std::vector<Frame> frames;
        int count = -1;
        while (from.readFrame(records.data(), count))
            frames.emplace_back(records.begin(), records.begin() + count);
        return frames;
    }

    // A first frame with no targets, so that later frames carry the extra word.
    void skipFirstFrame()
    {
        append(frame(true, {}));
        ASSERT_EQ(readAll().size(), 1u);
    }

    FrameReader reader;
    std::vector<TargetReport> records = std::vector<TargetReport>(MaxTargets);
};

} // namespace

TEST_F(FrameReaderTest, FirstFrameHasNoExtraWord)
{
    append(frame(true, {{0.1f, 0.2f, 1}, {0.3f, 0.4f, 2}, {0.5f, 0.6f, 3}}));
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].size(), 3u);
    EXPECT_FLOAT_EQ(frames[0][2].x, 0.5f);
    EXPECT_FLOAT_EQ(frames[0][2].y, 0.6f);
    EXPECT_FLOAT_EQ(frames[0][2].value, 3.0f);
    EXPECT_EQ(reader.framesRead(), 1);
}

TEST_F(FrameReaderTest, LaterFramesCarryTheExtraWordAndFourByteFloats)
{
    skipFirstFrame();
    // Values whose bits would be misread by an eight-byte float reader.
    const float x = 0.1f, y = 0.7f;
    append(frame(false, {{x, y, 65535}, {1.0f / 3.0f, 2.5e-7f, 0}}));
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].size(), 2u);
    EXPECT_TRUE(sameBits(frames[0][0].x, x));
    EXPECT_TRUE(sameBits(frames[0][0].y, y));
    EXPECT_EQ(frames[0][0].value, 65535.0f);
    EXPECT_TRUE(sameBits(frames[0][1].x, 1.0f / 3.0f));
    EXPECT_TRUE(sameBits(frames[0][1].y, 2.5e-7f));
}

TEST_F(FrameReaderTest, LaterFrameLaidOutLikeTheFirstIsMisread)
{
    skipFirstFrame();
    append(frame(true, {{0.0f, 0.0f, 0}}));
    const std::vector<Frame> frames = readAll();
    // The count 1 is taken for the extra word and the first half of x for the
    // count; the rest of the record makes another empty frame and the size
    // field of a third.
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].empty());
    EXPECT_TRUE(frames[1].empty());
    EXPECT_EQ(reader.bufferedBytes(), 0);
    append(QByteArray(4, '\0'));
    EXPECT_EQ(readAll().size(), 1u);
}

TEST_F(FrameReaderTest, ParsesFramesSplitAtEveryByte)
{
    const QByteArray first = frame(true, {{0.25f, 0.75f, 9}, {0.5f, 0.125f, 4}});
    const QByteArray whole = first + frame(false, {{0.375f, 0.625f, 5}});
    for (int cut = 1; cut < whole.size(); ++cut) {
        FrameReader split;
        int count = -1;
        ASSERT_EQ(split.append(whole.constData(), cut), cut);
        const bool firstDone = cut >= first.size();
        EXPECT_EQ(split.readFrame(records.data(), count), firstDone) << "cut " << cut;
        EXPECT_FALSE(split.readFrame(records.data(), count)) << "parsed early at cut " << cut;
        ASSERT_EQ(split.append(whole.constData() + cut, whole.size() - cut), whole.size() - cut);
        if (!firstDone) {
            ASSERT_TRUE(split.readFrame(records.data(), count)) << "cut " << cut;
            EXPECT_EQ(count, 2);
            EXPECT_FLOAT_EQ(records[1].y, 0.125f);
        }
        ASSERT_TRUE(split.readFrame(records.data(), count)) << "cut " << cut;
        EXPECT_EQ(count, 1);
        EXPECT_FLOAT_EQ(records[0].x, 0.375f);
        EXPECT_EQ(split.bufferedBytes(), 0);
    }
}

TEST_F(FrameReaderTest, ParsesEveryBufferedFrameInOrder)
{
    QByteArray burst = frame(true, {{0.1f, 0.1f, 1}});
    for (int n = 2; n <= 6; ++n)
        burst += uniformFrame(false, n, 0.1f * n, 0.2f);
    append(burst);
    const std::vector<Frame> frames = readAll();
    EXPECT_EQ(reader.bufferedBytes(), 0);
    ASSERT_EQ(frames.size(), 6u);
    for (size_t n = 1; n <= frames.size(); ++n)
        EXPECT_EQ(frames[n - 1].size(), n);
    EXPECT_FLOAT_EQ(frames[5][5].x, 0.6f);
}

TEST_F(FrameReaderTest, CountZeroGivesAnEmptyFrame)
{
    append(frame(true, {{0.1f, 0.1f, 1}, {0.2f, 0.2f, 1}}));
    append(frame(false, {}));
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].size(), 2u);
    EXPECT_TRUE(frames[1].empty());
}

TEST_F(FrameReaderTest, OversizedCountKeepsTheFirstThousandAndStaysInStep)
{
    skipFirstFrame();
    std::vector<Record> many;
    for (int i = 0; i < 5000; ++i)
        many.push_back(Record{float(i), i < MaxTargets ? 0.25f : 0.75f, 3});
    append(frame(false, many) + frame(false, {{0.4f, 0.6f, 1}, {0.8f, 0.9f, 2}}));
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 2u) << "the frame after the oversized one was not parsed in step";
    ASSERT_EQ(frames[0].size(), size_t(MaxTargets));
    EXPECT_FLOAT_EQ(frames[0][MaxTargets - 1].x, float(MaxTargets - 1));
    EXPECT_FLOAT_EQ(frames[0][MaxTargets - 1].y, 0.25f);
    ASSERT_EQ(frames[1].size(), 2u);
    EXPECT_FLOAT_EQ(frames[1][1].y, 0.9f);
    EXPECT_EQ(reader.bufferedBytes(), 0);
}

TEST_F(FrameReaderTest, SizeFieldSmallerThanTheBodyWaitsForTheWholeFrame)
{
    // No body at all, the count alone, the count and one of the three records.
    for (int size : {0, wire::kCountFieldBytes, wire::bodyBytes(true, 1)}) {
        FrameReader shortSize;
        const QByteArray bytes =
            frame(true, {{0.1f, 0.2f, 1}, {0.3f, 0.4f, 2}, {0.5f, 0.6f, 3}}, size);
        int count = -1;
        ASSERT_EQ(shortSize.append(bytes.constData(), bytes.size() - 1), bytes.size() - 1);
        EXPECT_FALSE(shortSize.readFrame(records.data(), count)) << "size " << size;
        ASSERT_EQ(shortSize.append(bytes.constData() + bytes.size() - 1, 1), 1);
        ASSERT_TRUE(shortSize.readFrame(records.data(), count)) << "size " << size;
        EXPECT_EQ(count, 3);
        EXPECT_FLOAT_EQ(records[2].y, 0.6f);
    }
}

TEST_F(FrameReaderTest, BytesAfterAShortSizedFrameStartTheNextFrame)
{
    QByteArray bytes = frame(true, {{0.1f, 0.2f, 1}}, 0);
    bytes += frame(false, {{0.3f, 0.4f, 2}, {0.5f, 0.6f, 3}});
    append(bytes);
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].size(), 1u);
    ASSERT_EQ(frames[1].size(), 2u);
    EXPECT_FLOAT_EQ(frames[1][1].x, 0.5f);
}

TEST_F(FrameReaderTest, SizeLargerThanTheFieldsLeavesTheExcessAsTheNextFrame)
{
    const int excess = wire::kSizeFieldBytes;
    QByteArray bytes = frame(true, {{0.1f, 0.2f, 1}}, wire::bodyBytes(true, 1) + excess);
    // The excess bytes are read as the size field of the next frame, whose
    // body (extra word, count 0) follows.
    bytes += word(quint16(wire::bodyBytes(false, 0)));
    bytes += word(testframes::kExtraWord) + word(0);
    append(bytes.left(bytes.size() - 1));
    EXPECT_EQ(readAll().size(), 1u);
    append(bytes.right(1));
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].empty());
    EXPECT_EQ(reader.bufferedBytes(), 0);
}

TEST_F(FrameReaderTest, SizeFieldAloneWaitsForTheRest)
{
    append(QByteArray(1, '\0'));
    EXPECT_TRUE(readAll().empty());
    EXPECT_EQ(reader.bufferedBytes(), 1);
    append(QByteArray(1, '\4'));
    EXPECT_TRUE(readAll().empty());
    EXPECT_EQ(reader.bufferedBytes(), 0) << "the size field is taken once two bytes are there";
}

TEST_F(FrameReaderTest, HoldsNoMoreThanItsBound)
{
    skipFirstFrame();
    const QByteArray big = uniformFrame(false, MaxTargets, 0.5f, 0.5f);
    QByteArray flood;
    while (flood.size() < 2 * FrameReader::kCapacityBytes)
        flood += big;
    qint64 offset = 0;
    int frames = 0;
    int count = -1;
    while (offset < flood.size()) {
        const qint64 room = reader.room();
        const qint64 taken = reader.append(flood.constData() + offset, flood.size() - offset);
        EXPECT_EQ(taken, std::min(room, flood.size() - offset));
        offset += taken;
        EXPECT_LE(reader.bufferedBytes(), FrameReader::kCapacityBytes);
        if (offset < flood.size()) {
            EXPECT_EQ(reader.room(), 0);
            EXPECT_EQ(reader.append(flood.constData() + offset, 1), 0)
                << "a full reader takes nothing";
        }
        while (reader.readFrame(records.data(), count))
            ++frames;
    }
    EXPECT_EQ(frames, flood.size() / big.size());
    EXPECT_EQ(reader.bufferedBytes(), 0);
}

TEST_F(FrameReaderTest, LargestFrameFitsTheBound)
{
    skipFirstFrame();
    const QByteArray largest = uniformFrame(false, wire::kMaxCount, 0.5f, 0.5f);
    ASSERT_LE(largest.size(), FrameReader::kCapacityBytes);
    append(largest);
    const std::vector<Frame> frames = readAll();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].size(), size_t(MaxTargets));
}

TEST_F(FrameReaderTest, ResetReadsTheNextBytesAsANewReaderWould)
{
    const QByteArray first = frame(true, {{0.1f, 0.2f, 1}, {0.3f, 0.4f, 2}});
    const QByteArray later = frame(false, {{0.5f, 0.6f, 3}});
    // What the previous connection left behind.
    const struct {
        const char *name;
        QByteArray bytes;
    } leftovers[] = {
        {"part of a size field", first.left(1)},
        {"a size field alone", first.left(wire::kSizeFieldBytes)},
        {"a partial body", first.left(first.size() - 1)},
        {"a whole first frame", first},
        {"a first frame and part of a later one", first + later.left(wire::kSizeFieldBytes + 1)},
    };
    // Laid out as a new connection's: a first frame, then a later one.
    const QByteArray next = frame(true, {{0.7f, 0.8f, 4}, {0.9f, 0.0f, 5}}) + later;
    FrameReader fresh;
    append(fresh, next);
    const std::vector<Frame> expected = readAll(fresh);
    ASSERT_EQ(expected.size(), 2u);
    ASSERT_EQ(expected[0].size(), 2u);
    EXPECT_FLOAT_EQ(expected[0][1].x, 0.9f);

    for (const auto &leftover : leftovers) {
        FrameReader used;
        append(used, leftover.bytes);
        readAll(used);
        used.reset();
        EXPECT_EQ(used.bufferedBytes(), 0) << leftover.name;
        EXPECT_EQ(used.framesRead(), 0) << leftover.name;
        append(used, next);
        EXPECT_TRUE(sameFrames(readAll(used), expected)) << leftover.name;
        EXPECT_EQ(used.framesRead(), fresh.framesRead()) << leftover.name;
        EXPECT_EQ(used.bufferedBytes(), 0) << leftover.name;
    }
}
