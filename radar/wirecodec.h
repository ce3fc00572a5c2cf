#pragma once

#include "wireformat.h"

#include <QtEndian>

#include <cstring>

// Reading and writing the fields of the wire format in place, in big-endian
// order. Inline: the frame reader decodes a thousand records per frame.
namespace wire
{

// One target record as it travels.
struct Record {
    float x;
    float y;
    quint16 value;
};

inline quint16 readWord(const char *at)
{
    return qFromBigEndian<quint16>(at);
}

inline void writeWord(char *at, quint16 word)
{
    qToBigEndian(word, at);
}

// Every bit is kept, NaN payloads included.
inline float readFloat(const char *at)
{
    const quint32 bits = qFromBigEndian<quint32>(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void writeFloat(char *at, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToBigEndian(bits, at);
}

inline Record readRecord(const char *at)
{
    return Record{readFloat(at + kRecordXOffset), readFloat(at + kRecordYOffset),
                  readWord(at + kRecordValueOffset)};
}

inline void writeRecord(char *at, const Record &record)
{
    writeFloat(at + kRecordXOffset, record.x);
    writeFloat(at + kRecordYOffset, record.y);
    writeWord(at + kRecordValueOffset, record.value);
}

} // namespace wire
