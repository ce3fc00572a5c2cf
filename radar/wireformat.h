#pragma once

#include <QtGlobal>

// The binary protocol between the radar server and the client. Every number is
// big-endian; floats are IEEE 754 single precision.
//
// Request (client to server): the single byte kRequestByte.
// First frame after connecting:   size, count, count records.
// Every later frame:              size, extra word, count, count records.
// size counts the bytes after the size field; a record is x, y (float32) and
// value (uint16). wirecodec.h reads and writes the fields.
namespace wire
{

constexpr quint8 kRequestByte = 0x02;

// Where a client connects and the simulator listens unless told otherwise.
constexpr quint16 kDefaultPort = 3333;

constexpr int kWordBytes = 2;
constexpr int kFloatBytes = 4;
constexpr int kSizeFieldBytes = kWordBytes;
constexpr int kExtraWordBytes = kWordBytes;
constexpr int kCountFieldBytes = kWordBytes;

// Offsets of a record's fields and its whole size.
constexpr int kRecordXOffset = 0;
constexpr int kRecordYOffset = kRecordXOffset + kFloatBytes;
constexpr int kRecordValueOffset = kRecordYOffset + kFloatBytes;
constexpr int kRecordBytes = kRecordValueOffset + kWordBytes;

// QDataStream::Qt_4_0: floats travel as 4 bytes under this stream version.
constexpr int kStreamVersion = 7;

// The largest number a 16-bit field holds: a size field's bound on the bytes
// after it, a count field's on the targets.
constexpr int kMaxWord = 0xFFFF;

// The most targets a frame can describe and the bytes that frame needs.
constexpr int kMaxCount = kMaxWord;
constexpr int kMaxFrameBytes =
    kSizeFieldBytes + kExtraWordBytes + kCountFieldBytes + kMaxCount * kRecordBytes;

// Bytes after the size field that a frame announcing count targets carries.
constexpr int bodyBytes(bool firstFrame, int count)
{
    return (firstFrame ? 0 : kExtraWordBytes) + kCountFieldBytes + count * kRecordBytes;
}

} // namespace wire
