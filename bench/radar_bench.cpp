// Measures the radar logic's per-tick work with a full target buffer: one
// update (rebuild, hit scan, ageing) at the usual frame rate and at a slow one
// whose ticks leave a gap behind the beam, and the parsing of one 1000-target
// frame, by the frame reader alone and through a loopback connection.
// Run it with standard output sent to /dev/null: update prints its lines.
#include "framereader.h"
#include "frames.h"
#include "loopbackserver.h"
#include "radardriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace
{

constexpr int kUpdates = 20000;
constexpr int kFrames = 2000;
constexpr double kTickSeconds = 0.02;
// Four frames a second: the beam turns 20 degrees a tick.
constexpr double kSlowTickSeconds = 0.25;

std::vector<testframes::Record> spreadTargets()
{
    std::vector<testframes::Record> targets;
    for (int i = 0; i < MaxTargets; ++i) {
        const double angle = i * 2.0 * M_PI / MaxTargets;
        const double radius = 0.1 + 0.35 * (i % 7) / 7.0;
        targets.push_back(
            {float(0.5 + radius * std::sin(angle)), float(0.5 - radius * std::cos(angle)), 1});
    }
    return targets;
}

double userCpuMicros()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec;
}

double percentile(std::vector<double> samples, double p)
{
    std::sort(samples.begin(), samples.end());
    return samples[size_t(p * (samples.size() - 1))];
}

void benchUpdate(double tickSeconds)
{
    RadarDriver driver;
    driver.sendTargets(spreadTargets());
    std::vector<double> micros;
    QElapsedTimer clock;
    for (int i = 0; i < kUpdates; ++i) {
        driver.logic.tick(tickSeconds);
        clock.start();
        driver.logic.update(tickSeconds);
        micros.push_back(clock.nsecsElapsed() / 1000.0);
    }
    std::fprintf(stderr, "update, %d targets, %g s ticks: mean %.2f us, p99 %.2f us (%d updates)\n",
                 MaxTargets, tickSeconds,
                 std::accumulate(micros.begin(), micros.end(), 0.0) / micros.size(),
                 percentile(micros, 0.99), kUpdates);
}

// kFrames frames of MaxTargets targets, as they follow the first frame.
QByteArray laterFrames()
{
    QByteArray stream;
    const QByteArray frame = testframes::frame(false, spreadTargets());
    for (int i = 0; i < kFrames; ++i)
        stream += frame;
    return stream;
}

// The reader alone, fed in pieces of the size a socket read hands over.
void benchReader()
{
    constexpr qint64 kPieceBytes = 16 * 1024;
    FrameReader reader;
    static TargetReport records[MaxTargets];
    int count = 0;
    const QByteArray first = testframes::frame(true, {});
    reader.append(first.constData(), first.size());
    reader.readFrame(records, count);
    const QByteArray stream = laterFrames();
    QElapsedTimer clock;
    clock.start();
    int frames = 0;
    for (qint64 offset = 0; offset < stream.size();) {
        offset += reader.append(stream.constData() + offset,
                                std::min(kPieceBytes, stream.size() - offset));
        while (reader.readFrame(records, count))
            ++frames;
    }
    const double micros = clock.nsecsElapsed() / 1000.0;
    std::fprintf(stderr, "frame reader, %d targets: %.2f us per frame (%d frames)\n", MaxTargets,
                 micros / frames, frames);
}

void benchParse()
{
    RadarDriver driver;
    driver.sendTargets({});
    const QByteArray stream = laterFrames();
    // Client and server share this thread, so the time covers the loopback
    // transfer as well as the parsing: an upper bound on the parse alone.
    // User CPU time leaves out the kernel's share of the transfer.
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = userCpuMicros();
    driver.server.send(stream);
    while (!driver.server.allSent() || driver.logic.bufferedBytes() > 0)
        QCoreApplication::processEvents();
    const double cpu = userCpuMicros() - cpuBefore;
    const double wall = clock.nsecsElapsed() / 1000.0;
    std::fprintf(stderr,
                 "frame parse, %d targets: %.2f us user CPU per frame, %.2f us wall incl. transfer "
                 "(%d frames, %.1f MB)\n",
                 MaxTargets, cpu / kFrames, wall / kFrames, kFrames, stream.size() / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString only = argc > 1 ? QString(argv[1]) : QString();
    if (only.isEmpty() || only == "update")
        benchUpdate(kTickSeconds);
    if (only.isEmpty() || only == "slow-update")
        benchUpdate(kSlowTickSeconds);
    if (only.isEmpty() || only == "reader")
        benchReader();
    if (only.isEmpty() || only == "parse")
        benchParse();
    return 0;
}
