// The real client as systemd runs a service of Type=notify, with a
// notification socket of the test's own in NOTIFY_SOCKET: ready once its view
// is shown, watchdog pings at half of WATCHDOG_USEC that stop while the process
// is stopped, and a status line that follows the link and the alarms.
#include "clientprocess.h"
#include "loopbackserver.h"
#include "notifysocket.h"
#include "scenelayout.h"
#include "simprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <signal.h>

namespace
{

// A time limit that only ends a client the test could not end itself.
constexpr int kBackstopSeconds = 120;
// Start-up with software OpenGL on a busy machine.
constexpr int kStartMs = 30000;

// Pings wanted within 2 s: the client pings every second.
const char kWatchdogUsec[] = "2000000";
constexpr int kPingIntervalMs = 1000;
constexpr int kCountedPings = 4; // counted over as many intervals
constexpr int kPingSlack = 1;    // either way: a late tick on a busy machine
constexpr int kStoppedMs = 3000;
constexpr int kResumedPings = 2;    // counted over as many intervals after continuing
constexpr int kSignalTakesMs = 200; // for a stop to take effect

const char kReady[] = "^READY=1$";
const char kPing[] = "^WATCHDOG=1$";
const char kStatus[] = "^STATUS=";

// A target standing at 45 degrees in a zone of the whole screen, which goes
// into alarm within a turn of the beam (4.5 s) of the target's first snapshot;
// and one at 225 degrees there for half of every second, so that the count
// of targets changes with the snapshots, every 0.7 s.
const char kScenario[] = "loop 1\n"
                         "target 1\nat 0 0.7 0.3\n"
                         "target 2\nat 0 0.3 0.7\nat 0.5 0.3 0.7\n";
// Zone 1 cannot be used; zone 2 covers the screen, and its number is told.
const char kWholeScreenZone[] = "<guardZone><from>30</from><to>30</to><inner>0</inner>"
                                "<outer>1</outer></guardZone>"
                                "<guardZone><from>0</from><to>360</to><inner>0</inner>"
                                "<outer>2</outer></guardZone><alarmSound>off</alarmSound>";
constexpr int kAlarmMs = 15000; // an attempt every 2 s while refused, then the turn
constexpr int kCountsWatchedMs = 5000;
constexpr int kFewestCountLines = 3;
// A count is told at most once a second; the lines are read every 20 ms.
constexpr qint64 kShortestCountGapMs = 900;
constexpr int kOutageMs = 5000;
constexpr int kBackMs = 10000;

class SystemdProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(displayAndXdotool());
        ASSERT_TRUE(manager.isOpen());
        client.setEnvironment("NOTIFY_SOCKET", manager.path());
        client.setEnvironment("WATCHDOG_USEC", kWatchdogUsec);
    }

    // In a small window: a full-screen software-rendered view would load the
    // machine and make the ticks late.
    void startClient(quint16 port, const QString &settings = QString())
    {
        ASSERT_TRUE(client.writeSettings(port, kBackstopSeconds, settings));
        ASSERT_TRUE(client.start({"--reconnect", "--window", "320x240"}));
    }

    bool sendSignal(int number) { return kill(pid_t(client.processId()), number) == 0; }

    NotifySocket manager;
    ClientProcess client;
};

} // namespace

TEST_F(SystemdProgramTest, ReadyOnceItsViewIsShownThenPingsAtHalfTheWatchdogTimeWhileItRuns)
{
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    startClient(sim.port());
    ASSERT_EQ(manager.waitForLine(kReady, kStartMs), 0) << "READY=1 first, before any ping";
    EXPECT_FALSE(client.waitForViewWindows(1).isEmpty()) << "ready before its view was mapped";
    manager.listen(kCountedPings * kPingIntervalMs);
    EXPECT_NEAR(manager.count(kPing), kCountedPings, kPingSlack);
    EXPECT_EQ(manager.count(kReady), 1);

    ASSERT_TRUE(sendSignal(SIGSTOP));
    manager.listen(kSignalTakesMs);
    const size_t stopped = manager.lines().size();
    manager.listen(kStoppedMs);
    EXPECT_EQ(manager.count(kPing, stopped), 0) << "pings while stopped";
    ASSERT_TRUE(sendSignal(SIGCONT));
    const size_t continued = manager.lines().size();
    manager.listen(kResumedPings * kPingIntervalMs);
    EXPECT_NEAR(manager.count(kPing, continued), kResumedPings, kPingSlack)
        << "pings after continuing";
}

// Its end before any frame is a failed start to systemd, which starts it again.
TEST_F(SystemdProgramTest, AClientThatCannotShowItsViewIsNeverReady)
{
    ASSERT_TRUE(client.folder().removeModel(scene::kTable.modelFile));
    startClient(closedLoopbackPort());
    ASSERT_TRUE(client.waitForEnd(kStartMs));
    EXPECT_TRUE(client.endedWith(1)) << client.howItEnded();
    EXPECT_EQ(manager.lines().size(), 0u) << manager.lines().front().text.toStdString();
}

TEST_F(SystemdProgramTest, StatusFollowsTheLinkAndTheAlarmsAndTellsCountsOnceASecond)
{
    const quint16 port = closedLoopbackPort();
    const QString server = QString("127\\.0\\.0\\.1:%1").arg(port);
    QTemporaryDir scenarioDir;
    QFile scenario(scenarioDir.filePath("zone.scn"));
    ASSERT_TRUE(scenario.open(QIODevice::WriteOnly) && scenario.write(kScenario) > 0);
    scenario.close();
    const QStringList simOptions{"--scenario", scenario.fileName()};

    startClient(port, kWholeScreenZone);
    int at = manager.waitForLine("^STATUS=connecting to " + server + "$", kStartMs);
    ASSERT_GE(at, 0);
    auto sim = std::make_unique<SimProcess>(simOptions, port);
    ASSERT_EQ(sim->port(), port);
    const QString inAlarm = "^STATUS=watching " + server + ": [0-9]+ targets?, zone 2 in alarm$";
    at = manager.waitForLine(inAlarm, kAlarmMs, at);
    ASSERT_GE(at, 0);
    manager.listen(kCountsWatchedMs);
    EXPECT_EQ(manager.count(kStatus, at), manager.count(inAlarm, at));
    EXPECT_GE(manager.count(inAlarm, at), kFewestCountLines);
    EXPECT_GE(manager.shortestGap(kStatus, at), kShortestCountGapMs);

    sim.reset();
    at = manager.waitForLine("^STATUS=NO SIGNAL from " + server + " for 0 s$", kOutageMs, at);
    ASSERT_GE(at, 0);
    at = manager.waitForLine("^STATUS=NO SIGNAL from " + server + " for 2 s$", kOutageMs, at);
    ASSERT_GE(at, 0);
    sim = std::make_unique<SimProcess>(simOptions, port);
    ASSERT_EQ(sim->port(), port);
    EXPECT_GE(manager.waitForLine("^STATUS=watching " + server + ": ", kBackMs, at), 0);
}
