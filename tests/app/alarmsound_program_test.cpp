// The guard zones' alarm through the real client, played into the null sink
// of a sound server of the test's own (tests/support/with-pulseaudio.sh) and
// recorded from it: one sound when a target makes a zone go into alarm, none
// while it stays there turn after turn, one again when a second target comes.
#include "clientprocess.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

constexpr int kRunSeconds = 26;
constexpr int kPollMs = 100;
constexpr int kStopMs = 5000;

// Target 1 comes into the zone at 2 s and stays; target 2 joins it at 14 s,
// after more than two turns of the beam.
const char kScenario[] = "target 1\nat 0 0.15 0.45\nat 2 0.8 0.45\nat 60 0.8 0.45\n"
                         "target 2\nat 14 0.75 0.62\nat 60 0.75 0.62\n";
const char kZone[] = "<guardZone><from>60</from><to>120</to><inner>0.2</inner><outer>0.8</outer>"
                     "</guardZone>";
const char kAnyAlarm[] = "^alarm zone 1 ";
const char kSecondTargetAlarm[] = "^alarm zone 1 @ alpha: 115\\.";

// The recording: 16-bit mono samples at this rate, looked at in blocks.
constexpr int kSampleRate = 44100;
constexpr int kBlockSamples = kSampleRate / 10;
constexpr int kLoudPeak = 2000;       // the alarm peaks near 20000; silence is 0
constexpr double kQuietBetween = 0.3; // seconds of quiet that part two sounds
// How far the sounds' spacing may stray from their alarms': the sound
// server's and the poll's latencies.
constexpr double kSpacingToleranceSeconds = 1.0;

// Start times, in seconds into the recording, of the loud stretches.
std::vector<double> soundsIn(const QByteArray &recording)
{
    const auto *samples = reinterpret_cast<const std::int16_t *>(recording.constData());
    const size_t count = size_t(recording.size()) / sizeof(std::int16_t);
    std::vector<double> starts;
    double lastLoud = -1.0;
    for (size_t block = 0; block < count; block += kBlockSamples) {
        int peak = 0;
        for (size_t i = block; i < std::min(count, block + kBlockSamples); ++i)
            peak = std::max(peak, std::abs(int(samples[i])));
        const double at = double(block) / kSampleRate;
        if (peak < kLoudPeak)
            continue;
        if (lastLoud < 0.0 || at - lastLoud > kQuietBetween)
            starts.push_back(at);
        lastLoud = at;
    }
    return starts;
}

} // namespace

TEST(AlarmSoundProgramTest, SoundsForANewAlarmAndANewTargetButNotWhileATargetStays)
{
    // The test's launchers give it both; without them it cannot say anything.
    const QString sink = qEnvironmentVariable("RADAR_TEST_SINK");
    ASSERT_TRUE(displayAndXdotool());
    ASSERT_FALSE(sink.isEmpty()) << "no sound server: run it through with-pulseaudio.sh";
    QTemporaryDir dir;
    QFile scenario(dir.filePath("zone.scn"));
    ASSERT_TRUE(scenario.open(QIODevice::WriteOnly) && scenario.write(kScenario) > 0);
    scenario.close();
    QProcess recorder;
    recorder.setStandardOutputFile(dir.filePath("recording.raw"));
    recorder.start("parec", {"-d", sink + ".monitor", "--format=s16le", "--channels=1",
                             QString("--rate=%1").arg(kSampleRate)});
    ASSERT_TRUE(recorder.waitForStarted());
    SimProcess sim({"--scenario", scenario.fileName()});
    ASSERT_NE(sim.port(), 0);
    ClientProcess client;
    ASSERT_TRUE(client.writeSettings(sim.port(), kRunSeconds, kZone));
    ASSERT_TRUE(client.start({"--window", "320x240"}));

    // When each alarm came, on the test's clock.
    QElapsedTimer clock;
    clock.start();
    qint64 firstAlarmMs = -1;
    qint64 secondTargetMs = -1;
    while (!client.waitForEnd(kPollMs)) {
        if (firstAlarmMs < 0 && client.countLines(kAnyAlarm) > 0)
            firstAlarmMs = clock.elapsed();
        if (secondTargetMs < 0 && client.countLines(kSecondTargetAlarm) > 0)
            secondTargetMs = clock.elapsed();
    }
    recorder.terminate();
    recorder.waitForFinished(kStopMs);
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();
    ASSERT_GE(firstAlarmMs, 0);
    ASSERT_GT(secondTargetMs, firstAlarmMs);

    QFile recording(dir.filePath("recording.raw"));
    ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
    const std::vector<double> sounds = soundsIn(recording.readAll());
    ASSERT_EQ(sounds.size(), 2u) << client.errorOutput().toStdString();
    EXPECT_NEAR(sounds[1] - sounds[0], (secondTargetMs - firstAlarmMs) / 1000.0,
                kSpacingToleranceSeconds);
}
