#include "replayfeeder.h"

#include "simconnection.h"

#include <algorithm>
#include <cstdio>

namespace
{

// The gap before a looped recording starts over when it holds a single frame
// or frames all stamped alike: the pace at which clients ask for frames.
constexpr qint64 kDefaultGapMs = 40;

} // namespace

ReplayFeeder::ReplayFeeder(const std::vector<RecordedFrame> &f, bool l, SimConnection *c)
    : QObject(c), frames(f), loop(l), connection(c)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &ReplayFeeder::sendDue);
}

qint64 ReplayFeeder::cycleMilliseconds(const std::vector<RecordedFrame> &frames)
{
    if (frames.empty())
        return 0;
    const qint64 first = frames.front().milliseconds;
    const qint64 last = frames.back().milliseconds;
    const auto intervals = static_cast<qint64>(frames.size() - 1);
    const qint64 gap = (intervals > 0 && last > first) ? (last - first) / intervals : kDefaultGapMs;
    return last + std::max<qint64>(gap, 1);
}

void ReplayFeeder::start()
{
    clock.start();
    scheduleNext();
}

qint64 ReplayFeeder::dueAt(size_t index) const
{
    return cycleStartMs + frames[index].milliseconds;
}

void ReplayFeeder::sendDue()
{
    // Timers may fire late; every frame already due goes out now, in order.
    while (next < frames.size() && dueAt(next) <= clock.elapsed()) {
        const RecordedFrame &frame = frames[next];
        connection->sendFrame(frame.targets, frame.extraWord);
        ++next;
        if (next == frames.size() && loop) {
            cycleStartMs += cycleMilliseconds(frames);
            next = 0;
        }
    }
    scheduleNext();
}

void ReplayFeeder::scheduleNext()
{
    if (next >= frames.size()) {
        // Looping, only an empty recording gets here: it has no end to tell.
        if (!loop)
            announceEnd();
        return;
    }
    timer.start(static_cast<int>(std::max<qint64>(0, dueAt(next) - clock.elapsed())));
}

// Said once per connection, so that whoever watches a client knows that the
// silence from now on is the recording's end, not a fault.
void ReplayFeeder::announceEnd()
{
    if (ended)
        return;
    ended = true;
    std::fprintf(stderr,
                 "radar-sim: end of the replay for a client after %zu %s; its connection stays "
                 "open without frames (--loop starts over instead)\n",
                 frames.size(), frames.size() == 1 ? "frame" : "frames");
    std::fflush(stderr);
}
