#pragma once

#include <QtGlobal>

// The binary protocol between the radar server and the client. Every number is
// big-endian; floats are IEEE 754 single precision.
//
// Request (client to server): the single byte RequestByte.
// First frame after connecting:   size, count, count records.
// Every later frame:              size, extra word, count, count records.
// size counts the bytes after the size field; a record is x, y (float32) and
// value (uint16).
namespace wire
{

constexpr quint8 RequestByte = 0x02;

constexpr int SizeFieldBytes = 2;
constexpr int ExtraWordBytes = 2;
constexpr int CountFieldBytes = 2;
constexpr int FloatBytes = 4;
constexpr int RecordBytes = 2 * FloatBytes + 2;

// QDataStream::Qt_4_0: floats travel as 4 bytes under this stream version.
constexpr int StreamVersion = 7;

// The most targets a frame can describe and the bytes that frame needs.
constexpr int MaxCount = 0xFFFF;
constexpr int MaxFrameBytes =
    SizeFieldBytes + ExtraWordBytes + CountFieldBytes + MaxCount * RecordBytes;

// Bytes after the size field that a frame announcing count targets carries.
constexpr int bodyBytes(bool firstFrame, int count)
{
    return (firstFrame ? 0 : ExtraWordBytes) + CountFieldBytes + count * RecordBytes;
}

} // namespace wire
