#include "framesplitter.h"

#include <gtest/gtest.h>

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A first frame with one target (0.5, 0.25, 0x1234), then a later frame with
// extra word 0x0007 and no targets.
const QByteArray kStream = hex("000c"
                               "0001"
                               "3f000000"
                               "3e800000"
                               "1234"
                               "0004"
                               "0007"
                               "0000");

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
    EXPECT_EQ(frames[0].milliseconds, 13u) << "stamped when its last byte came";
    ASSERT_EQ(frames[0].targets.size(), 1);
    EXPECT_EQ(frames[0].targets[0].x, 0.5f);
    EXPECT_EQ(frames[0].targets[0].y, 0.25f);
    EXPECT_EQ(frames[0].targets[0].value, 0x1234);
    EXPECT_EQ(frames[1].extraWord, 7);
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
    const QByteArray frame = hex("000c"
                                 "0003"
                                 "3f000000"
                                 "3e800000"
                                 "0001");
    const std::vector<RecordedFrame> frames = splitter.feed(frame, 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].targets.size(), 1);
    EXPECT_EQ(splitter.malformedFrames(), 1);
}

TEST_F(FrameSplitterTest, SizeTooSmallForTheCountFieldGivesEmptyFrame)
{
    FrameSplitter splitter;
    const std::vector<RecordedFrame> frames = splitter.feed(hex("0000"
                                                                "0002"
                                                                "0000"),
                                                            0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].targets.isEmpty());
    EXPECT_EQ(splitter.malformedFrames(), 2);
}

} // namespace
