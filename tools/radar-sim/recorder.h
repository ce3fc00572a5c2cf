#pragma once

#include "recording.h"

#include <QDataStream>
#include <QFile>

// Appends frames to a recording file as they arrive, flushing each one so
// that a recording cut off by the end of the process loses no whole frame.
class Recorder
{
public:
    // Creates or truncates the file and writes the header.
    bool open(const QString &path, QString &error);
    bool append(const RecordedFrame &frame);

private:
    QFile file;
    QDataStream out;
};
