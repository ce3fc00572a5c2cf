#include "wirecodec.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstring>
#include <limits>

namespace
{

quint32 bitsOf(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

TEST(WireCodecTest, RecordIsXYAndValueBigEndian)
{
    QByteArray bytes(wire::kRecordBytes, '\0');
    wire::writeRecord(bytes.data(), wire::Record{0.5f, -2.0f, 0x1234});
    EXPECT_EQ(bytes.toHex(), "3f000000"
                             "c0000000"
                             "1234");
    const wire::Record back = wire::readRecord(QByteArray::fromHex("3e800000"
                                                                   "40490fdb"
                                                                   "ffff")
                                                   .constData());
    EXPECT_EQ(back.x, 0.25f);
    EXPECT_EQ(back.y, 3.14159274f);
    EXPECT_EQ(back.value, 0xFFFF);
}

TEST(WireCodecTest, FloatsKeepEveryBit)
{
    const float nanWithPayload = [] {
        const quint32 bits = 0x7fc12345;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }();
    char at[wire::kFloatBytes];
    for (float value : {0.0f, -0.0f, 1.0f / 3.0f, 2.5e-7f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::denorm_min(), nanWithPayload}) {
        wire::writeFloat(at, value);
        EXPECT_EQ(bitsOf(wire::readFloat(at)), bitsOf(value)) << value;
        EXPECT_EQ(quint8(at[0]), bitsOf(value) >> 24) << "most significant byte first";
    }
}

TEST(WireCodecTest, WordsAreUnsignedBigEndian)
{
    char at[wire::kWordBytes];
    for (quint16 word : {quint16(0), quint16(1), quint16(0x8001), quint16(0xFFFF)}) {
        wire::writeWord(at, word);
        EXPECT_EQ(quint8(at[0]), word >> 8);
        EXPECT_EQ(quint8(at[1]), word & 0xFF);
        EXPECT_EQ(wire::readWord(at), word);
    }
}
