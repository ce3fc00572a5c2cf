#pragma once

#include "simtarget.h"

#include <QByteArray>

// Deliberate departures from a well-behaved server, for testing clients.
// Every field at its default means no fault.
struct FaultOptions {
    int byteDelayMs = 0;          // > 0: frames go out one byte at a time, this far apart
    bool pairFrames = false;      // frames are held back and written two per write
    int oversizeCount = 0;        // > 0: every frame is padded up to this many targets
    int sizeShortfall = 0;        // > 0: size fields claim this many bytes less than sent
    int closeAfterSeconds = 0;    // > 0: each connection is closed this long after accepting
    int resetAfterMs = 0;         // > 0: each connection is reset this long after accepting
    int floodIntervalMs = -1;     // >= 0: frames are sent unasked at this interval
    bool refuse = false;          // every connection is closed at once, unanswered
    int acceptDelayMs = 0;        // > 0: connections wait this long in a full accept queue
    qint64 silentAfterFrames = 0; // > 0: after this many frames in all, nothing more is sent

    // The targets with filler targets (value 0, on a line across the lower
    // half of the screen) appended up to oversizeCount.
    TargetList padded(const TargetList &targets) const;
    // Applies the faults that change an encoded frame's bytes.
    void shape(QByteArray &frame) const;

    bool flooding() const { return floodIntervalMs >= 0; }
    // True once the server has sent all the frames it will: it then keeps
    // its connections open and answers nothing, as a hung server does.
    bool silencedAfter(qint64 framesSent) const
    {
        return silentAfterFrames > 0 && framesSent >= silentAfterFrames;
    }
};
