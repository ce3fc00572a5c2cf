#pragma once

#include "wirecodec.h"

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// Server frames built by hand for tests, field by field through the wire
// codec, independent of the simulator's encoder; and the reverse cut of a
// received stream into frames.
namespace testframes
{

using Record = wire::Record;

// The extra word that later frames carry unless a test chooses one; the client
// ignores it, so any value does.
constexpr quint16 kExtraWord = 0xBEEF;

// One big-endian 16-bit field, and one record, as they travel.
QByteArray word(quint16 value);
QByteArray record(const Record &record);

// A frame as the server sends it; later frames carry extraWord. The size
// field is computed unless sizeOverride is given.
QByteArray frame(bool first, const std::vector<Record> &records, int sizeOverride = -1,
                 quint16 extraWord = kExtraWord);

// A frame whose count field is count, with that many records at (x, y).
QByteArray uniformFrame(bool first, int count, float x, float y);

// count targets evenly round the screen centre, radius wire units from it
// (the screen spans 0..1), the first straight ahead (bearing 0).
std::vector<Record> ringOfTargets(int count, double radius);

// One frame cut from a received byte stream by its size field.
struct WireFrame {
    int size;        // the size field
    QByteArray body; // the size bytes after it

    QByteArray bytes() const { return word(quint16(size)) + body; }
};

// Splits bytes into whole frames by their size fields; a trailing partial
// frame is left out.
std::vector<WireFrame> splitFrames(const QByteArray &bytes);

} // namespace testframes
