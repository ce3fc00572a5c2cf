#pragma once

#include <QtGlobal>

// Notices a server that keeps its connection open but sends no frame: a hung
// server, a half-open connection after a network failure, a proxy whose
// upstream died. It counts the time the client has spent asking since the
// last new frame. The client asks 25 times a second, so a live server answers
// long before the limit.
//
// A tick longer than kLongestCountedTick counts as that long only: the client
// itself was held up then (a busy machine, a window being mapped), asked
// nothing meanwhile, and the server's answers may be waiting unread.
class FrameWatchdog
{
public:
    static constexpr double kSilenceLimit = 3.0;        // seconds without a frame
    static constexpr double kLongestCountedTick = 0.25; // seconds

    // A new connection, on which framesSoFar frames have been read.
    void restart(qint64 framesSoFar);
    // dt seconds have passed, and framesSoFar frames have been read in all.
    void observe(qint64 framesSoFar, double dt);
    bool isSilent() const { return silentFor >= kSilenceLimit; }

private:
    qint64 frames = 0;
    double silentFor = 0.0; // seconds
};
