#pragma once

#include "recording.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

class SimConnection;

// Sends a recording down one connection with its original timing: frame k
// goes out frames[k].milliseconds after start(), whatever the client asks.
// When looping, the recording starts over one average frame interval after
// its last frame; otherwise its end is told on standard error and the
// connection stays open.
class ReplayFeeder : public QObject
{
    Q_OBJECT

public:
    // frames must outlive the feeder; the connection becomes its parent.
    ReplayFeeder(const std::vector<RecordedFrame> &frames, bool loop, SimConnection *connection);

    void start();

    // Length of one pass of the recording when looping, in milliseconds.
    static qint64 cycleMilliseconds(const std::vector<RecordedFrame> &frames);

private slots:
    void sendDue();

private:
    void scheduleNext();
    void announceEnd();
    qint64 dueAt(size_t index) const;

    const std::vector<RecordedFrame> &frames;
    const bool loop;
    SimConnection *connection;
    QElapsedTimer clock;
    QTimer timer;
    size_t next = 0;
    qint64 cycleStartMs = 0; // when the current pass began, on clock
    bool ended = false;      // the last frame has gone and no loop follows
};
