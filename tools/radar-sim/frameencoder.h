#pragma once

#include "simtarget.h"
#include "wireformat.h"

#include <QByteArray>

// Builds target frames in the client's wire format.
class FrameEncoder
{
public:
    // The size field is 16 bits wide, so a frame body holds at most 65535
    // bytes: this many records fit whether or not the extra word is there.
    static constexpr int kMaxEncodableCount =
        (wire::kMaxWord - wire::kExtraWordBytes - wire::kCountFieldBytes) / wire::kRecordBytes;

    // The first frame of a connection has no extra word; every later frame
    // carries extraWord between the size and the count. At most
    // kMaxEncodableCount targets are encoded, the rest dropped.
    static QByteArray encode(const TargetList &targets, bool firstFrame, quint16 extraWord);

    // Lowers the size field by shortfall bytes (not below 0) and leaves the
    // body as it is: a frame whose size claims less than it carries.
    static void shortenSizeField(QByteArray &frame, int shortfall);
};
