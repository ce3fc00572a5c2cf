#include "frames.h"
#include "framesplitter.h"

#include <gtest/gtest.h>

namespace
{

using testframes::frame;
using testframes::record;
using testframes::word;

const wire::Record kTarget{0.5f, 0.25f, 0x1234};
const quint16 kSecondWord = 7;
// A first frame with one target, then a later frame with no targets.
const QByteArray kFirstFrame = frame(true, {kTarget});
const QByteArray kStream = kFirstFrame + frame(false, {}, -1, kSecondWord);

class FrameSplitterTest : public ::testing::Test
{
};

TEST_F(FrameSplitterTest, SplitsStreamFedAtEveryByte)
{
    FrameSplitter splitter;
    std::vector<RecordedFrame> frames;
    for (int i = 0; i < kStream.size(); ++i) {
        for (RecordedFrame &f : splitter.feed(kStream.mid(i, 1), static_cast<quint32>(i)))
            frames.push_back(std::move(f));
    }
    ASSERT_EQ(frames.size(), 2u);
    // Each byte was fed at its index in milliseconds.
    EXPECT_EQ(frames[0].milliseconds, quint32(kFirstFrame.size() - 1))
        << "stamped when its last byte came";
    ASSERT_EQ(frames[0].targets.size(), 1);
    EXPECT_EQ(frames[0].targets[0].x, kTarget.x);
    EXPECT_EQ(frames[0].targets[0].y, kTarget.y);
    EXPECT_EQ(frames[0].targets[0].value, kTarget.value);
    EXPECT_EQ(frames[1].extraWord, kSecondWord);
    EXPECT_TRUE(frames[1].targets.isEmpty());
    EXPECT_EQ(splitter.malformedFrames(), 0);
}

TEST_F(FrameSplitterTest, TwoFramesInOneChunkComeOutTogether)
{
    FrameSplitter splitter;
    EXPECT_EQ(splitter.feed(kStream, 5).size(), 2u);
}

TEST_F(FrameSplitterTest, CountBeyondTheSizeKeepsOnlyWhatFits)
{
    FrameSplitter splitter;
    // count 3, but the size leaves room for one record only.
    const QByteArray oneRecordOfThree =
        word(quint16(wire::bodyBytes(true, 1))) + word(3) + record(kTarget);
    const std::vector<RecordedFrame> frames = splitter.feed(oneRecordOfThree, 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].targets.size(), 1);
    EXPECT_EQ(splitter.malformedFrames(), 1);
}

TEST_F(FrameSplitterTest, SizeTooSmallForTheCountFieldGivesEmptyFrame)
{
    FrameSplitter splitter;
    // A first frame of size 0, then a later frame whose 2 bytes hold its extra
    // word: neither leaves room for the count field.
    const QByteArray noCounts = word(0) + word(wire::kExtraWordBytes) + word(0);
    const std::vector<RecordedFrame> frames = splitter.feed(noCounts, 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].targets.isEmpty());
    EXPECT_EQ(splitter.malformedFrames(), 2);
}

} // namespace
