#pragma once

#include "simtarget.h"

#include <QString>

#include <vector>

class QDataStream;

// One frame as it arrived from a radar server.
struct RecordedFrame {
    quint32 milliseconds; // since the recorded connection was made
    quint16 extraWord;    // 0 for the first frame of a connection, which has none
    TargetList targets;
};

// The recording file format, big-endian throughout:
//
//   header: the 8 bytes "RADARREC", then uint16 format version (1)
//   frames, until the end of the file, each:
//     uint32 milliseconds, uint16 extra word, uint16 count,
//     count records of float32 x, float32 y, uint16 value
//
// Frame times never decrease.
class Recording
{
public:
    static constexpr quint16 FormatVersion = 1;

    static void writeHeader(QDataStream &out);
    // Writes at most wire::kMaxCount targets, all that the count field can hold.
    static void writeFrame(QDataStream &out, const RecordedFrame &frame);

    // Reads a whole recording; on failure returns false with a message
    // naming the file (and the frame number when one is broken).
    static bool load(const QString &path, std::vector<RecordedFrame> &frames, QString &error);

private:
    static bool readHeader(QDataStream &in, QString &reason);
    static bool readFrame(QDataStream &in, RecordedFrame &frame);
};
