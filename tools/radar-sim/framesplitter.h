#pragma once

#include "recording.h"

#include <QByteArray>

#include <vector>

// Cuts the byte stream of one server connection into frames the way a client
// reads it, following the size fields, and decodes each frame's targets.
class FrameSplitter
{
public:
    // Adds bytes that arrived at the given time and returns the frames they
    // completed, stamped with that time.
    std::vector<RecordedFrame> feed(const QByteArray &bytes, quint32 milliseconds);

    // Frames whose size field and count disagreed; only the records that fit
    // inside the announced size were kept.
    int malformedFrames() const { return malformed; }

private:
    RecordedFrame decode(const QByteArray &body);

    QByteArray pending;
    bool firstFrame = true;
    int malformed = 0;
};
