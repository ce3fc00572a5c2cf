#pragma once

#include "recording.h"

#include <QDataStream>
#include <QFile>

#include <memory>

class RemovalOnSignal;

// Appends frames to a recording as they arrive, flushing each one so that a
// recording cut off by the end of the process loses no whole frame. The
// recording grows in a new file beside its path, which takes the path's place
// only with its first frame: until then an existing file of that name stays
// as it was, and a recorder that never gets a frame leaves nothing behind.
// Should that fail, the recording goes on, and stays, beside the path.
class Recorder
{
public:
    Recorder();
    // Removes the new file unless it holds a frame.
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    // Creates the new file beside path and writes the header.
    bool open(const QString &path, QString &error);
    // Writes the frame; the first one also puts the recording in place.
    bool append(const RecordedFrame &frame, QString &error);
    // True once a frame is recorded.
    bool hasFrames() const { return recorded; }
    // The new file's name while it grows beside the path.
    static QString growingPath(const QString &path);

private:
    bool putInPlace(QString &error);

    QString finalPath;
    QString currentPath; // the recording's name now
    QFile file;
    QDataStream out;
    std::unique_ptr<RemovalOnSignal> removalOnSignal;
    bool recorded = false;
};
