// The event journal through the real client against the real simulator:
// what a night with alarms and an outage leaves on record, and a journal
// that cannot be written. The journal's lines are compared with the client's
// own lines on standard output, which the test watches as they come.
#include "clientprocess.h"
#include "simprocess.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>

namespace
{

constexpr int kPollMs = 100;
constexpr int kQuickEndMs = 10000;
constexpr int kHitWaitMs = 15000;
constexpr int kBackstopSeconds = 120;
constexpr qint64 kLineAgreementMs = 1000; // a journal line and its output line

const char kZone[] = "<guardZone><from>60</from><to>120</to><inner>0.2</inner><outer>0.8</outer>"
                     "</guardZone><alarmSound>off</alarmSound>";
// An event command that keeps what it is given: the line, then its zone.
const char kKeepingCommand[] = "<eventCommand>cat &gt;&gt; received.jsonl; "
                               "echo \"$RADAR_EVENT $RADAR_ZONE\" &gt;&gt; variables.txt"
                               "</eventCommand>";
// One that never ends by itself; its number tells it from any other sleep.
const char kHangingCommand[] = "<eventCommand>sleep 987654</eventCommand>";
// Target 1 stands in the zone from 2 s to 14 s, target 2 from 7 s; then both
// are gone and the zone clears. Target 3 stands west of it all the while.
const char kScenario[] = "target 1\nat 2 0.8 0.45\nat 14 0.8 0.45\n"
                         "target 2\nat 7 0.75 0.62\nat 14 0.75 0.62\n"
                         "target 3\nat 0 0.15 0.45\nat 60 0.15 0.45\n";
constexpr int kScenarioMs = 26000; // the zone has cleared by then
const QRegularExpression kRfc3339Ms("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$");

class EventJournalProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(displayAndXdotool());
        journalPath = client.folder().filePath("state/events.jsonl");
    }

    QString scenario(const char *text)
    {
        QFile file(scenarios.filePath("zone.scn"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        return file.fileName();
    }

    void startClient(quint16 port, const QStringList &options, const QString &settings = {})
    {
        ASSERT_TRUE(client.writeSettings(port, kBackstopSeconds, settings));
        ASSERT_TRUE(
            client.start(QStringList{"--window", "320x240", "--events", journalPath} + options));
    }

    // The journal's lines, each parsed; each must be an object with its
    // time and event.
    std::vector<QJsonObject> journal() const
    {
        QFile file(journalPath);
        std::vector<QJsonObject> events;
        if (!file.open(QIODevice::ReadOnly))
            return events;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error;
            const QJsonObject event = QJsonDocument::fromJson(line, &error).object();
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
            EXPECT_TRUE(kRfc3339Ms.match(event.value("time").toString()).hasMatch())
                << line.constData();
            EXPECT_FALSE(event.value("event").toString().isEmpty()) << line.constData();
            events.push_back(event);
        }
        return events;
    }

    QStringList eventNames() const
    {
        QStringList names;
        for (const QJsonObject &event : journal())
            names << event.value("event").toString();
        return names;
    }

    // Follows standard output while the client runs for ms, noting when each
    // line was first seen, on the UTC clock the journal uses.
    void watchOutput(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && client.isRunning()) {
            const QStringList lines = client.outputLines();
            for (int i = int(seenAt.size()); i < lines.size(); ++i)
                seenAt.push_back(QDateTime::currentDateTimeUtc());
            QThread::msleep(kPollMs);
        }
    }

    QTemporaryDir scenarios;
    ClientProcess client;
    QString journalPath;
    std::vector<QDateTime> seenAt; // by output line
};

} // namespace

// start, connected, an alarm per new target (not per hit), the clear, and the
// exit on Q; each journal line out before its output line, within a second;
// and the event command given exactly the journal's lines, in order.
TEST_F(EventJournalProgramTest, AZoneStoryIsRecordedOncePerEventBesideItsOutputLines)
{
    SimProcess sim({"--scenario", scenario(kScenario)});
    ASSERT_NE(sim.port(), 0);
    ASSERT_NO_FATAL_FAILURE(startClient(sim.port(), {}, QString(kZone) + kKeepingCommand));
    watchOutput(kScenarioMs);
    ASSERT_TRUE(client.closeWithKey("q", kQuickEndMs));
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();

    const std::vector<QJsonObject> events = journal();
    const QStringList names = eventNames();
    EXPECT_EQ(names.join(' '), "start connected alarm alarm clear exit");
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].value("zones").toInt(), 1);
    EXPECT_EQ(events[0].value("settings").toString(),
              client.folder().filePath("clientSettings.xml"));
    EXPECT_EQ(events[1].value("port").toInt(), sim.port());
    EXPECT_FALSE(events[2].value("new").toBool());
    EXPECT_TRUE(events[3].value("new").toBool());
    EXPECT_EQ(events[5].value("reason").toString(), "key");
    EXPECT_GT(client.countLines("^alarm zone 1 "), 2) << "more alarm lines than events";
    QFile journalFile(journalPath), received(client.folder().filePath("received.jsonl"));
    ASSERT_TRUE(journalFile.open(QIODevice::ReadOnly) && received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll(), journalFile.readAll());
    QFile variables(client.folder().filePath("variables.txt"));
    ASSERT_TRUE(variables.open(QIODevice::ReadOnly));
    EXPECT_EQ(variables.readAll(), "start \nconnected \nalarm 1\nalarm 1\nclear 1\nexit \n");

    // Each alarm and clear event against the first output line that says the same.
    const QStringList lines = client.outputLines();
    int from = 0;
    for (size_t e = 2; e <= 4; ++e) {
        const QString said =
            events[e].value("event").toString() == "clear"
                ? QString("clear zone 1")
                : QString("alarm zone 1 @ alpha: %1 range: %2")
                      .arg(QString::number(events[e].value("alpha").toDouble(), 'g', 6),
                           QString::number(events[e].value("range").toDouble(), 'g', 6));
        from = int(lines.indexOf(said, from));
        ASSERT_GE(from, 0) << said.toStdString();
        ASSERT_LT(size_t(from), seenAt.size());
        const QDateTime recorded =
            QDateTime::fromString(events[e].value("time").toString(), Qt::ISODateWithMs);
        const qint64 before = recorded.msecsTo(seenAt[size_t(from)]);
        EXPECT_GE(before, 0) << said.toStdString();
        EXPECT_LE(before, kLineAgreementMs + kPollMs) << said.toStdString();
    }
}

// lost, then back after the outage's length; a SIGTERM ends it with its exit.
TEST_F(EventJournalProgramTest, AnOutageIsRecordedAsLostThenBackWithItsLength)
{
    constexpr int kOutageMs = 4000;
    auto sim = std::make_unique<SimProcess>(QStringList{});
    const quint16 port = sim->port();
    ASSERT_NE(port, 0);
    ASSERT_NO_FATAL_FAILURE(startClient(port, {"--reconnect"}));
    ASSERT_TRUE(pollUntil([&] { return eventNames().contains("connected"); }, kHitWaitMs));
    ASSERT_TRUE(pollUntil([&] { return client.countLines("^hit @") > 0; }, kHitWaitMs));
    sim.reset();
    ASSERT_TRUE(pollUntil([&] { return eventNames().contains("lost"); }, kHitWaitMs));
    QElapsedTimer outage;
    outage.start();
    QThread::msleep(kOutageMs);
    SimProcess again({}, port);
    ASSERT_EQ(again.port(), port);
    ASSERT_TRUE(pollUntil([&] { return eventNames().contains("back"); }, kHitWaitMs))
        << client.errorOutput().toStdString() << eventNames().join(" ").toStdString();
    const double measured = outage.elapsed() / 1000.0;
    ::kill(pid_t(client.processId()), SIGTERM);
    ASSERT_TRUE(client.waitForEnd(kQuickEndMs));
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();

    const std::vector<QJsonObject> events = journal();
    const QStringList names = eventNames();
    EXPECT_EQ(names.first(), "start");
    EXPECT_EQ(names.last(), "exit");
    EXPECT_EQ(events.back().value("reason").toString(), "signal");
    const int lost = int(names.indexOf("lost"));
    const int back = int(names.indexOf("back"));
    ASSERT_LT(lost, back);
    EXPECT_EQ(events[size_t(lost)].value("reason").toString(), "closed");
    EXPECT_NEAR(events[size_t(back)].value("seconds").toDouble(), measured, 1.0);
}

TEST_F(EventJournalProgramTest, AJournalThatCannotBeWrittenIsToldOnceAndTheHitsGoOn)
{
    QFile blocker(client.folder().filePath("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where its folder should be
    blocker.close();
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    ASSERT_NO_FATAL_FAILURE(startClient(sim.port(), {}));
    ASSERT_TRUE(pollUntil([&] { return client.countLines("^hit @") > 0; }, kHitWaitMs));
    const int hits = client.countLines("^hit @");
    EXPECT_TRUE(pollUntil([&] { return client.countLines("^hit @") > hits + 2; }, kHitWaitMs));
    ASSERT_TRUE(client.closeWithKey("q", kQuickEndMs));
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();
    const QString errors = QString::fromUtf8(client.errorOutput());
    EXPECT_EQ(errors.count("cannot write the event journal " + journalPath), 1)
        << errors.toStdString();
}

// A command that hangs holds up nothing: the frames go on, the events wait,
// and after 30 s it is killed and said to have failed.
TEST_F(EventJournalProgramTest, AHangingCommandDoesNotSlowTheFramesAndIsKilledAfter30Seconds)
{
    constexpr int kWatchMs = 33000;
    constexpr int kFewestBuilds = 40; // one every 0.7 s over 33 s is 47
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    ASSERT_NO_FATAL_FAILURE(startClient(sim.port(), {}, kHangingCommand));
    // The first event's run; the next one's starts when it is killed.
    QString first;
    ASSERT_TRUE(pollUntil(
        [&] {
            QProcess pgrep;
            pgrep.start("pgrep", {"-o", "-f", "sleep 987654"});
            pgrep.waitForFinished();
            first = QString::fromLatin1(pgrep.readAllStandardOutput()).trimmed();
            return !first.isEmpty();
        },
        kHitWaitMs));
    QThread::msleep(kWatchMs);
    EXPECT_GE(client.countLines("^build$"), kFewestBuilds);
    EXPECT_FALSE(QFile::exists("/proc/" + first)) << "the first run, " << first.toStdString();
    EXPECT_TRUE(
        QString::fromUtf8(client.errorOutput()).contains("still running after 30 s, killed"))
        << client.errorOutput().toStdString();
    ASSERT_TRUE(client.closeWithKey("q", kQuickEndMs));
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();
}

TEST_F(EventJournalProgramTest, ASettingsFileOthersMayWriteHasItsCommandIgnored)
{
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    ASSERT_TRUE(client.writeSettings(sim.port(), kBackstopSeconds, kKeepingCommand));
    QFile settings(client.folder().filePath("clientSettings.xml"));
    ASSERT_TRUE(settings.setPermissions(settings.permissions() | QFile::WriteOther));
    ASSERT_TRUE(client.start({"--window", "320x240"}));
    ASSERT_TRUE(pollUntil([&] { return client.countLines("^build$") > 0; }, kHitWaitMs));
    ASSERT_TRUE(client.closeWithKey("q", kQuickEndMs));
    EXPECT_TRUE(
        client.errorOutput().contains("may be written by others; its eventCommand is not run"))
        << client.errorOutput().toStdString();
    EXPECT_FALSE(QFile::exists(client.folder().filePath("received.jsonl")));
}
