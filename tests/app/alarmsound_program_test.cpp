// The guard zones' alarm through the real client, played into the null sink
// of a sound server of the test's own (tests/support/with-pulseaudio.sh) and
// recorded from it: one sound when a target makes a zone go into alarm, none
// while it stays there turn after turn, one again when a second target comes;
// a target that comes within the gap after a sound sounds at the gap's end;
// and the sound comes back after the sound server started late or restarted.
#include "alarmsound.h"
#include "clientprocess.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

constexpr int kPollMs = 100;
constexpr int kStopMs = 5000;
constexpr double kMsPerSecond = 1000.0;
constexpr double kGapSeconds = AlarmSound::kShortestGapMs / kMsPerSecond;
// How long the client runs in each test: the scenario's story, with start-up.
constexpr int kRunSeconds = 26;
constexpr int kGapRunSeconds = 12;
// Long enough for a sound after the sound server's return and the client's
// next try, 10 s after it found the server gone.
constexpr int kComeBackRunSeconds = 27;
// When the test stops and starts the sound server, in ms after the client's
// start.
constexpr int kBeforeTheClient = 0;
constexpr int kLateServerMs = 5000;
constexpr int kRestartMs = 7000;

const char kZone[] = "<guardZone><from>60</from><to>120</to><inner>0.2</inner><outer>0.8</outer>"
                     "</guardZone>";
const char kAnyAlarm[] = "^alarm zone 1 ";

// The recording: 16-bit mono samples at this rate, looked at in blocks.
// Without a short latency asked for, the null sink works in blocks of 2 s,
// and the recording loses parts of them.
constexpr int kSampleRate = 44100;
constexpr int kRecordingLatencyMs = 50;
constexpr int kBlockSamples = kSampleRate / 10;
constexpr int kLoudPeak = 2000;       // the alarm peaks near 20000; silence is 0
constexpr double kQuietBetween = 0.3; // seconds of quiet that part two sounds
// How far a sound may stray from its alarm, or from the one before it: the
// sound server's, the recorder's and the poll's latencies.
constexpr double kToleranceSeconds = 1.0;
constexpr double kSpacingToleranceSeconds = 0.3; // between sounds of one recording

// Start times of the loud stretches, in seconds on a clock where the
// recording ended at endSeconds. Counted back from the end, since the
// recording starts some time after the recorder: up to 2 s.
std::vector<double> soundsIn(const QByteArray &recording, double endSeconds)
{
    const auto *samples = reinterpret_cast<const std::int16_t *>(recording.constData());
    const size_t count = size_t(recording.size()) / sizeof(std::int16_t);
    const double startSeconds = endSeconds - double(count) / kSampleRate;
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
            starts.push_back(startSeconds + at);
        lastLoud = at;
    }
    return starts;
}

// Stops or starts the test's sound server, through its launcher's program.
bool soundServer(const char *action)
{
    return QProcess::execute(qEnvironmentVariable("RADAR_TEST_SOUND_SERVER"), {action}) == 0;
}

} // namespace

// A simulator playing a scenario, the client in zone 1 watching it, and
// recordings of the sink, each in this test's folder.
class AlarmSoundProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The test's launchers give both; without them it cannot say anything.
        ASSERT_TRUE(displayAndXdotool());
        ASSERT_FALSE(sink.isEmpty()) << "no sound server: run it through with-pulseaudio.sh";
    }

    void startClient(const char *scenarioText, int runSeconds, const char *zone = kZone,
                     const QStringList &options = {})
    {
        QFile scenario(dir.filePath("zone.scn"));
        ASSERT_TRUE(scenario.open(QIODevice::WriteOnly) && scenario.write(scenarioText) > 0);
        scenario.close();
        sim = std::make_unique<SimProcess>(QStringList{"--scenario", scenario.fileName()});
        ASSERT_NE(sim->port(), 0);
        ASSERT_TRUE(client.writeSettings(sim->port(), runSeconds, zone));
        ASSERT_TRUE(client.start(QStringList{"--window", "320x240"} + options));
        clock.start();
    }

    void startRecording()
    {
        recorder.setStandardOutputFile(dir.filePath("recording.raw"));
        recorder.start("parec", {"-d", sink + ".monitor", "--format=s16le", "--channels=1",
                                 QString("--rate=%1").arg(kSampleRate),
                                 QString("--latency-msec=%1").arg(kRecordingLatencyMs)});
        ASSERT_TRUE(recorder.waitForStarted());
    }

    // When the sounds recorded started, in seconds on the clock, once the
    // client has ended.
    std::vector<double> recordedSounds()
    {
        const double endSeconds = clock.elapsed() / kMsPerSecond;
        recorder.terminate();
        recorder.waitForFinished(kStopMs);
        EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();
        QFile recording(dir.filePath("recording.raw"));
        return recording.open(QIODevice::ReadOnly) ? soundsIn(recording.readAll(), endSeconds)
                                                   : std::vector<double>();
    }

    // The client starts with the sound server stopped at stopAtMs (or before
    // it starts) and started again at startAtMs. It says once that the sound
    // is unavailable and once that it is back; an alarm raised meanwhile is
    // not played later, and a later one is heard.
    void checkComesBack(int stopAtMs, int startAtMs)
    {
        // A target stands in the zone from 0.5 s to 7.5 s, and another one from
        // 19.5 s. Neither moves in the zone, where a turn would find it anew.
        const char scenario[] = "target 1\nat 0.5 0.8 0.45\nat 7.5 0.8 0.45\n"
                                "target 2\nat 19.5 0.75 0.62\nat 60 0.75 0.62\n";
        const char firstTargetAlarm[] = "^alarm zone 1 @ alpha: 80\\.";
        const char secondTargetAlarm[] = "^alarm zone 1 @ alpha: 115\\.";
        if (stopAtMs == kBeforeTheClient) {
            ASSERT_TRUE(soundServer("stop"));
        }
        const QString journal = dir.filePath("events.jsonl");
        ASSERT_NO_FATAL_FAILURE(
            startClient(scenario, kComeBackRunSeconds, kZone, {"--events", journal}));
        bool stopped = stopAtMs == kBeforeTheClient;
        bool started = false;
        qint64 secondTargetMs = -1;
        while (!client.waitForEnd(kPollMs)) {
            if (!stopped && clock.elapsed() >= stopAtMs) {
                ASSERT_TRUE(stopped = soundServer("stop"));
            }
            if (stopped && !started && clock.elapsed() >= startAtMs) {
                ASSERT_TRUE(started = soundServer("start"));
                ASSERT_NO_FATAL_FAILURE(startRecording());
            }
            if (secondTargetMs < 0 && client.countLines(secondTargetAlarm) > 0)
                secondTargetMs = clock.elapsed();
        }
        const std::vector<double> sounds = recordedSounds();
        const QString errors = QString::fromUtf8(client.errorOutput());
        EXPECT_EQ(errors.count("radar-client: the alarm sound "), 2) << errors.toStdString();
        EXPECT_EQ(errors.count(" cannot be played here (no sound server)"), 1);
        EXPECT_EQ(errors.count(" is back: guard zone alarms sound again"), 1);
        QFile events(journal);
        ASSERT_TRUE(events.open(QIODevice::ReadOnly));
        const QByteArray recorded = events.readAll();
        const int unavailable = int(recorded.indexOf("\"event\":\"sound\",\"available\":false"));
        EXPECT_GE(unavailable, 0) << recorded.constData();
        EXPECT_GT(recorded.indexOf("\"event\":\"sound\",\"available\":true"), unavailable);
        ASSERT_GT(client.countLines(firstTargetAlarm), 0);
        ASSERT_GT(secondTargetMs, 0);
        ASSERT_EQ(sounds.size(), 1u)
            << testing::PrintToString(sounds) << " s, second target at " << secondTargetMs << " ms";
        EXPECT_NEAR(sounds[0], secondTargetMs / kMsPerSecond, kToleranceSeconds);
    }

    const QString sink = qEnvironmentVariable("RADAR_TEST_SINK");
    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
    ClientProcess client;
    QProcess recorder;
    QElapsedTimer clock; // from the client's start
};

TEST_F(AlarmSoundProgramTest, SoundsForANewAlarmAndANewTargetButNotWhileATargetStays)
{
    // Target 1 comes into the zone at 2 s and stays; target 2 joins it at 14
    // s, after more than two turns of the beam.
    const char scenario[] = "target 1\nat 0 0.15 0.45\nat 2 0.8 0.45\nat 60 0.8 0.45\n"
                            "target 2\nat 14 0.75 0.62\nat 60 0.75 0.62\n";
    const char secondTargetAlarm[] = "^alarm zone 1 @ alpha: 115\\.";
    ASSERT_NO_FATAL_FAILURE(startRecording());
    ASSERT_NO_FATAL_FAILURE(startClient(scenario, kRunSeconds));
    qint64 firstAlarmMs = -1;
    qint64 secondTargetMs = -1;
    while (!client.waitForEnd(kPollMs)) {
        if (firstAlarmMs < 0 && client.countLines(kAnyAlarm) > 0)
            firstAlarmMs = clock.elapsed();
        if (secondTargetMs < 0 && client.countLines(secondTargetAlarm) > 0)
            secondTargetMs = clock.elapsed();
    }
    const std::vector<double> sounds = recordedSounds();
    ASSERT_GE(firstAlarmMs, 0);
    ASSERT_GT(secondTargetMs, firstAlarmMs);
    ASSERT_EQ(sounds.size(), 2u) << client.errorOutput().toStdString();
    EXPECT_NEAR(sounds[1] - sounds[0], (secondTargetMs - firstAlarmMs) / kMsPerSecond,
                kToleranceSeconds);
}

TEST_F(AlarmSoundProgramTest, TargetsComingWithinTheGapSoundOnceAtItsEnd)
{
    // Three targets appear at 3 s in a zone east of north, at bearings 20, 90
    // and 160, and stay: one sweep of the beam finds them within 1.75 s.
    const char zone[] = "<guardZone><from>0</from><to>180</to><inner>0.2</inner>"
                        "<outer>0.8</outer></guardZone>";
    const char scenario[] = "target 1\nat 3 0.6026 0.2181\nat 60 0.6026 0.2181\n"
                            "target 2\nat 3 0.8 0.5\nat 60 0.8 0.5\n"
                            "target 3\nat 3 0.6026 0.7819\nat 60 0.6026 0.7819\n";
    ASSERT_NO_FATAL_FAILURE(startRecording());
    ASSERT_NO_FATAL_FAILURE(startClient(scenario, kGapRunSeconds, zone));
    ASSERT_TRUE(client.waitForEnd(int(kGapRunSeconds * kMsPerSecond) + kStopMs));
    const std::vector<double> sounds = recordedSounds();
    ASSERT_EQ(sounds.size(), 2u) << testing::PrintToString(sounds);
    EXPECT_NEAR(sounds[1] - sounds[0], kGapSeconds, kSpacingToleranceSeconds);
}

TEST_F(AlarmSoundProgramTest, ComesBackWhenTheSoundServerStartsLate)
{
    checkComesBack(kBeforeTheClient, kLateServerMs);
}

TEST_F(AlarmSoundProgramTest, ComesBackAfterTheSoundServerRestarts)
{
    checkComesBack(kRestartMs, kRestartMs);
}

// With --reconnect: the loss of the feed sounds once, since the zones are no
// longer watched, and the target still there when frames come again alarms
// and sounds afresh.
TEST_F(AlarmSoundProgramTest, AnOutageSoundsOnceAndATargetStillThereAfterItSoundsAgain)
{
    constexpr int kOutageRunSeconds = 24;
    constexpr int kAfterAlarmMs = 3000;
    constexpr int kOutageMs = 3000;
    const char scenario[] = "target 1\nat 0.5 0.8 0.45\nat 60 0.8 0.45\n";
    ASSERT_NO_FATAL_FAILURE(startRecording());
    ASSERT_NO_FATAL_FAILURE(startClient(scenario, kOutageRunSeconds, kZone, {"--reconnect"}));
    const quint16 port = sim->port();
    qint64 firstAlarmMs = -1, lossMs = -1, secondAlarmMs = -1;
    int alarmsAtLoss = 0;
    while (!client.waitForEnd(kPollMs)) {
        const int alarms = client.countLines(kAnyAlarm);
        if (firstAlarmMs < 0 && alarms > 0)
            firstAlarmMs = clock.elapsed();
        if (firstAlarmMs >= 0 && lossMs < 0 && clock.elapsed() >= firstAlarmMs + kAfterAlarmMs) {
            sim.reset();
            lossMs = clock.elapsed();
            alarmsAtLoss = alarms;
        }
        if (lossMs >= 0 && !sim && clock.elapsed() >= lossMs + kOutageMs) {
            sim = std::make_unique<SimProcess>(QStringList{"--scenario", dir.filePath("zone.scn")},
                                               port);
            ASSERT_EQ(sim->port(), port);
        }
        if (lossMs >= 0 && secondAlarmMs < 0 && alarms > alarmsAtLoss)
            secondAlarmMs = clock.elapsed();
    }
    const std::vector<double> sounds = recordedSounds();
    ASSERT_GT(secondAlarmMs, lossMs);
    EXPECT_EQ(client.countLines("^clear zone"), 0) << "the outage read as a clear";
    ASSERT_EQ(sounds.size(), 3u) << testing::PrintToString(sounds);
    const double expected[] = {double(firstAlarmMs), double(lossMs), double(secondAlarmMs)};
    for (size_t i = 1; i < sounds.size(); ++i)
        EXPECT_NEAR(sounds[i] - sounds[0], (expected[i] - expected[0]) / kMsPerSecond,
                    kToleranceSeconds)
            << "sound " << i;
}
