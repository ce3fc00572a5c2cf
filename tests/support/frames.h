#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// Hand-built server frames for tests, independent of the simulator's encoder.
namespace testframes
{

struct Record {
    float x;
    float y;
    quint16 value;
};

void appendU16(QByteArray &out, quint16 v);
void appendF32(QByteArray &out, float v);

// A frame as the server sends it; later frames carry the extra word. The size
// field is computed unless sizeOverride is given.
QByteArray frame(bool first, const std::vector<Record> &records, int sizeOverride = -1);

// A frame whose count field is count, with that many records at (x, y).
QByteArray uniformFrame(bool first, int count, float x, float y);

} // namespace testframes
