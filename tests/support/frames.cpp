#include "frames.h"

#include <cmath>

namespace testframes
{

namespace
{
// The value field of every record of a uniform frame.
constexpr quint16 kUniformValue = 7;
} // namespace

QByteArray word(quint16 value)
{
    QByteArray out(wire::kWordBytes, Qt::Uninitialized);
    wire::writeWord(out.data(), value);
    return out;
}

QByteArray record(const Record &record)
{
    QByteArray out(wire::kRecordBytes, Qt::Uninitialized);
    wire::writeRecord(out.data(), record);
    return out;
}

QByteArray frame(bool first, const std::vector<Record> &records, int sizeOverride,
                 quint16 extraWord)
{
    QByteArray body;
    if (!first)
        body += word(extraWord);
    body += word(quint16(records.size()));
    for (const Record &r : records)
        body += record(r);
    return word(quint16(sizeOverride >= 0 ? sizeOverride : body.size())) + body;
}

QByteArray uniformFrame(bool first, int count, float x, float y)
{
    return frame(first, std::vector<Record>(size_t(count), Record{x, y, kUniformValue}));
}

std::vector<WireFrame> splitFrames(const QByteArray &bytes)
{
    std::vector<WireFrame> frames;
    int at = 0;
    while (bytes.size() - at >= wire::kSizeFieldBytes) {
        const int size = wire::readWord(bytes.constData() + at);
        const int bodyAt = at + wire::kSizeFieldBytes;
        if (bytes.size() - bodyAt < size)
            break;
        frames.push_back({size, bytes.mid(bodyAt, size)});
        at = bodyAt + size;
    }
    return frames;
}

std::vector<Record> ringOfTargets(int count, double radius)
{
    const float centre = 0.5f;
    std::vector<Record> ring;
    for (int i = 0; i < count; ++i) {
        const double angle = i * 2.0 * M_PI / count;
        ring.push_back({float(centre + radius * std::sin(angle)),
                        float(centre - radius * std::cos(angle)), 1});
    }
    return ring;
}

} // namespace testframes
