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

// Where the records start in a first and in a later frame.
constexpr int kFirstHeaderBytes = wire::kSizeFieldBytes + wire::kCountFieldBytes;
constexpr int kLaterHeaderBytes = kFirstHeaderBytes + wire::kExtraWordBytes;

constexpr int recordAt(int headerBytes, int index)
{
    return headerBytes + index * wire::kRecordBytes;
}

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
    ASSERT_EQ(frame.size(), recordAt(kLaterHeaderBytes, 1000));
    EXPECT_EQ(frame.left(kLaterHeaderBytes).toHex(), hex("2714"
                                                         "0005"
                                                         "03e8")
                                                         .toHex());
    for (int i = 0; i < 1000; ++i) {
        const QByteArray value = QByteArray::number(i, 16).rightJustified(4, '0');
        EXPECT_EQ(frame.mid(recordAt(kLaterHeaderBytes, i), wire::kRecordBytes).toHex(),
                  "3f400000"
                  "3e000000" +
                      value)
            << "record " << i;
    }
}

TEST_F(FrameEncoderTest, ValueFieldIsUnsignedBigEndian)
{
    const QByteArray frame = FrameEncoder::encode({{0, 0, 0xFFFF}, {0, 0, 0x8001}}, true, 0);
    for (int i : {0, 1}) {
        const QByteArray value =
            frame.mid(recordAt(kFirstHeaderBytes, i) + wire::kRecordValueOffset, wire::kWordBytes);
        EXPECT_EQ(value.toHex(), i == 0 ? "ffff" : "8001");
    }
}

TEST_F(FrameEncoderTest, FloatsKeepEveryBitMostSignificantByteFirst)
{
    const QByteArray frame = FrameEncoder::encode({{3.14159274f, -0.0f, 0}}, true, 0);
    EXPECT_EQ(frame.mid(kFirstHeaderBytes, 2 * wire::kFloatBytes).toHex(), "40490fdb"
                                                                           "80000000");
}

TEST_F(FrameEncoderTest, CountIsCappedWhereTheSizeFieldWouldOverflow)
{
    const TargetList many(FrameEncoder::kMaxEncodableCount + 10, SimTarget{0, 0, 0});
    const QByteArray later = FrameEncoder::encode(many, false, 0);
    const QByteArray first = FrameEncoder::encode(many, true, 0);
    EXPECT_EQ(later.left(kLaterHeaderBytes).toHex(), hex("fffe"
                                                         "0000"
                                                         "1999")
                                                         .toHex());
    EXPECT_EQ(later.size(), wire::kSizeFieldBytes + 0xFFFE);
    EXPECT_EQ(first.left(kFirstHeaderBytes).toHex(), hex("fffc"
                                                         "1999")
                                                         .toHex());
    EXPECT_EQ(first.size(), wire::kSizeFieldBytes + 0xFFFC);
}

TEST_F(FrameEncoderTest, ShortenedSizeFieldLeavesBodyAlone)
{
    QByteArray frame = FrameEncoder::encode(kTwoTargets, true, 0);
    const QByteArray body = frame.mid(wire::kSizeFieldBytes);
    FrameEncoder::shortenSizeField(frame, 5);
    EXPECT_EQ(frame.left(wire::kSizeFieldBytes).toHex(), "0011");
    EXPECT_EQ(frame.mid(wire::kSizeFieldBytes), body);
    FrameEncoder::shortenSizeField(frame, 1000);
    EXPECT_EQ(frame.left(wire::kSizeFieldBytes).toHex(), "0000");
    EXPECT_EQ(frame.mid(wire::kSizeFieldBytes), body);
}

} // namespace
