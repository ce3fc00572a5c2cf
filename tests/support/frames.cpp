#include "frames.h"

#include <cstring>

namespace testframes
{

void appendU16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

void appendF32(QByteArray &out, float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, sizeof bits);
    appendU16(out, quint16(bits >> 16));
    appendU16(out, quint16(bits & 0xFFFF));
}

QByteArray frame(bool first, const std::vector<Record> &records, int sizeOverride)
{
    QByteArray body;
    if (!first)
        appendU16(body, 0xBEEF);
    appendU16(body, quint16(records.size()));
    for (const Record &r : records) {
        appendF32(body, r.x);
        appendF32(body, r.y);
        appendU16(body, r.value);
    }
    QByteArray out;
    appendU16(out, quint16(sizeOverride >= 0 ? sizeOverride : body.size()));
    return out + body;
}

QByteArray uniformFrame(bool first, int count, float x, float y)
{
    return frame(first, std::vector<Record>(size_t(count), Record{x, y, 7}));
}

} // namespace testframes
