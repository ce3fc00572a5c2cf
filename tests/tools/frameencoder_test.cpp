#include "frameencoder.h"

#include <gtest/gtest.h>

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// 0.5, 0.25, 0x1234 and 1.0, -2.0, 7: floats chosen for their known bit patterns.
const TargetList kTwoTargets = {{0.5f, 0.25f, 0x1234}, {1.0f, -2.0f, 7}};

class FrameEncoderTest : public ::testing::Test
{
};

TEST_F(FrameEncoderTest, FirstFrameHasSizeCountAndRecordsOnly)
{
    EXPECT_EQ(FrameEncoder::encode(kTwoTargets, true, 0xABCD).toHex(), hex("0016"
                                                                           "0002"
                                                                           "3f000000"
                                                                           "3e800000"
                                                                           "1234"
                                                                           "3f800000"
                                                                           "c0000000"
                                                                           "0007")
                                                                           .toHex());
}

TEST_F(FrameEncoderTest, LaterFrameCarriesExtraWordBeforeCount)
{
    EXPECT_EQ(FrameEncoder::encode(kTwoTargets, false, 0xABCD).toHex(), hex("0018"
                                                                            "abcd"
                                                                            "0002"
                                                                            "3f000000"
                                                                            "3e800000"
                                                                            "1234"
                                                                            "3f800000"
                                                                            "c0000000"
                                                                            "0007")
                                                                            .toHex());
}

TEST_F(FrameEncoderTest, ZeroTargetsGiveHeaderOnlyFrames)
{
    EXPECT_EQ(FrameEncoder::encode({}, true, 9).toHex(), hex("00020000").toHex());
    EXPECT_EQ(FrameEncoder::encode({}, false, 9).toHex(), hex("000400090000").toHex());
}

TEST_F(FrameEncoderTest, ThousandTargetsAreAllEncodedInOrder)
{
    TargetList targets;
    for (int i = 0; i < 1000; ++i)
        targets.append({0.75f, 0.125f, static_cast<quint16>(i)});
    const QByteArray frame = FrameEncoder::encode(targets, false, 5);
    ASSERT_EQ(frame.size(), 2 + 10004);
    EXPECT_EQ(frame.left(6).toHex(), hex("2714"
                                         "0005"
                                         "03e8")
                                         .toHex());
    for (int i = 0; i < 1000; ++i) {
        const QByteArray value = QByteArray::number(i, 16).rightJustified(4, '0');
        EXPECT_EQ(frame.mid(6 + 10 * i, 10).toHex(), "3f400000"
                                                     "3e000000" +
                                                         value)
            << "record " << i;
    }
}

TEST_F(FrameEncoderTest, ValueFieldIsUnsignedBigEndian)
{
    const QByteArray frame = FrameEncoder::encode({{0, 0, 0xFFFF}, {0, 0, 0x8001}}, true, 0);
    EXPECT_EQ(frame.mid(12, 2).toHex(), "ffff");
    EXPECT_EQ(frame.mid(22, 2).toHex(), "8001");
}

TEST_F(FrameEncoderTest, FloatsKeepEveryBitMostSignificantByteFirst)
{
    const QByteArray frame = FrameEncoder::encode({{3.14159274f, -0.0f, 0}}, true, 0);
    EXPECT_EQ(frame.mid(4, 8).toHex(), "40490fdb"
                                       "80000000");
}

TEST_F(FrameEncoderTest, CountIsCappedWhereTheSizeFieldWouldOverflow)
{
    const TargetList many(FrameEncoder::kMaxEncodableCount + 10, SimTarget{0, 0, 0});
    const QByteArray later = FrameEncoder::encode(many, false, 0);
    const QByteArray first = FrameEncoder::encode(many, true, 0);
    EXPECT_EQ(later.left(6).toHex(), hex("fffe"
                                         "0000"
                                         "1999")
                                         .toHex());
    EXPECT_EQ(later.size(), 2 + 0xFFFE);
    EXPECT_EQ(first.left(4).toHex(), hex("fffc"
                                         "1999")
                                         .toHex());
    EXPECT_EQ(first.size(), 2 + 0xFFFC);
}

TEST_F(FrameEncoderTest, ShortenedSizeFieldLeavesBodyAlone)
{
    QByteArray frame = FrameEncoder::encode(kTwoTargets, true, 0);
    const QByteArray body = frame.mid(2);
    FrameEncoder::shortenSizeField(frame, 5);
    EXPECT_EQ(frame.left(2).toHex(), "0011");
    EXPECT_EQ(frame.mid(2), body);
    FrameEncoder::shortenSizeField(frame, 1000);
    EXPECT_EQ(frame.left(2).toHex(), "0000");
    EXPECT_EQ(frame.mid(2), body);
}

} // namespace
