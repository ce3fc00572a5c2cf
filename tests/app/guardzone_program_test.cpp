// The real client with guard zones, against the real simulator playing a
// scripted scenario: a target that enters a zone, stays, leaves and comes
// back; two targets entering a zone through north one after the other; a
// target standing in a whole-circle zone; invalid zones beside valid ones;
// and an alarm sound that cannot be played. What the client says on its standard streams is checked
// line by line.
#include "clientprocess.h"
#include "simprocess.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace
{

// Seconds the client runs: the scenario's whole story, with start-up.
constexpr int kRunSeconds = 40;
constexpr int kEndWaitMs = (kRunSeconds + 30) * 1000;

// Zones 1 and 3 are invalid; 2 lies east, 4 through north, 5 is a ring round
// the whole circle near the screen's edge.
const char kZones[] = "<guardZone><from>400</from><to>30</to><inner>0</inner><outer>1</outer>"
                      "</guardZone>"
                      "<guardZone><from>60</from><to>120</to><inner>0.2</inner><outer>0.8</outer>"
                      "</guardZone>"
                      "<guardZone><from>10</from><to>30</to><inner>0</inner></guardZone>"
                      "<guardZone><from>330</from><to>30</to><inner>0.5</inner><outer>1</outer>"
                      "</guardZone>"
                      "<guardZone><from>0</from><to>360</to><inner>0.9</inner><outer>1.2</outer>"
                      "</guardZone>"
                      "<alarmSound>not-a-sound.wav</alarmSound>";

// Target 1 comes into the east zone at 2 s, stays three turns, leaves at 16 s
// for the west, and comes back at 28 s. Targets 2 and 3 stand north, either
// side of 0; the second appears at 10 s. Target 4 stands in the ring, and so
// does target 5, at 11 degrees: its hit window straddles the whole circle's
// pass end at 5 degrees.
const char kScenario[] = "target 1\n"
                         "at 0 0.15 0.45\nat 2 0.8 0.45\nat 16 0.8 0.45\nat 18 0.15 0.45\n"
                         "at 26 0.15 0.45\nat 28 0.8 0.45\nat 60 0.8 0.45\n"
                         "target 2\nat 0 0.45 0.1\n"
                         "target 3\nat 10 0.55 0.1\nat 60 0.55 0.1\n"
                         "target 4\nat 0 0.28 0.92\n"
                         "target 5\nat 0 0.5906 0.0337\n";

const char kSkippedFrom[] = "guard zone 1 skipped: 'from' is 400, outside 0 to 360";
const char kSkippedOuter[] = "guard zone 3 skipped: 'outer' is missing";

// Bearing and distance ranges of the valid zones, by number.
struct Sector {
    double from, to, inner, outer;
    bool holds(double bearing, double range) const
    {
        const bool inSector =
            from <= to ? bearing >= from && bearing <= to : bearing >= from || bearing <= to;
        return inSector && range >= inner && range <= outer;
    }
};
const std::map<int, Sector> kValidZones = {
    {2, {60, 120, 0.2, 0.8}}, {4, {330, 30, 0.5, 1}}, {5, {0, 360, 0.9, 1.2}}};

// Target 3's bearing, east of north; target 2 is west of it.
constexpr double kSecondNorthTargetDeg = 7.1;
constexpr double kBearingToleranceDeg = 0.5;

class GuardZoneProgramTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(displayAndXdotool()); }

    // Zone events in order, one letter each: A for an alarm line, C for a clear.
    QString eventsOf(int zone) const
    {
        QString events;
        for (const QString &line : lines) {
            if (line.startsWith(QString("alarm zone %1 ").arg(zone)))
                events += 'A';
            else if (line == QString("clear zone %1").arg(zone))
                events += 'C';
        }
        return events;
    }

    QStringList lines;
};

} // namespace

TEST_F(GuardZoneProgramTest, AlarmsFollowTheirHitsAndClearAPassAfterTheZoneEmpties)
{
    QTemporaryDir scenarioDir;
    QFile scenario(scenarioDir.filePath("zones.scn"));
    ASSERT_TRUE(scenario.open(QIODevice::WriteOnly) && scenario.write(kScenario) > 0);
    scenario.close();
    SimProcess sim({"--scenario", scenario.fileName()});
    ASSERT_NE(sim.port(), 0);
    ClientProcess client;
    // An alarm sound that cannot be played is said once, and changes nothing else.
    ASSERT_TRUE(client.folder().writeSettingsFile("RIFF, but no sound", "not-a-sound.wav"));
    ASSERT_TRUE(client.writeSettings(sim.port(), kRunSeconds, kZones));
    ASSERT_TRUE(client.start({"--window", "320x240"}));
    ASSERT_TRUE(client.waitForEnd(kEndWaitMs));
    EXPECT_TRUE(client.endedCleanly()) << client.howItEnded();
    const QString errors = QString::fromUtf8(client.errorOutput());
    EXPECT_TRUE(errors.contains(kSkippedFrom)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(kSkippedOuter)) << errors.toStdString();
    EXPECT_EQ(errors.count("skipped"), 2);
    EXPECT_EQ(errors.count("radar-client: the alarm sound not-a-sound.wav cannot be played here"),
              1)
        << errors.toStdString();

    // Each alarm line follows its hit line, with the hit's bearing, inside its zone.
    lines = client.outputLines();
    const QRegularExpression hit("^hit @ green: \\S+ alpha: (\\S+)$");
    const QRegularExpression alarm("^alarm zone (\\d+) @ alpha: (\\S+) range: (\\S+)$");
    QString lastBearing;
    bool sawSecondNorthTarget = false;
    for (const QString &line : lines) {
        const QRegularExpressionMatch hitMatch = hit.match(line);
        if (hitMatch.hasMatch()) {
            lastBearing = hitMatch.captured(1);
            continue;
        }
        const QRegularExpressionMatch alarmMatch = alarm.match(line);
        if (!alarmMatch.hasMatch()) {
            lastBearing.clear();
            continue;
        }
        ASSERT_EQ(alarmMatch.captured(2), lastBearing) << line.toStdString();
        const int zone = alarmMatch.captured(1).toInt();
        ASSERT_EQ(kValidZones.count(zone), 1u) << line.toStdString();
        EXPECT_TRUE(kValidZones.at(zone).holds(alarmMatch.captured(2).toDouble(),
                                               alarmMatch.captured(3).toDouble()))
            << line.toStdString();
        sawSecondNorthTarget =
            sawSecondNorthTarget ||
            (zone == 4 && std::abs(alarmMatch.captured(2).toDouble() - kSecondNorthTargetDeg) <
                              kBearingToleranceDeg);
    }
    // East: alarms over the stay, one clear once the target has gone, alarms
    // again when it is back. North and the ring: never clear while occupied.
    const std::map<int, const char *> kEventPatterns = {
        {2, "^A{3,}CA+$"}, {4, "^A{5,}$"}, {5, "^A{5,}$"}};
    for (const auto &[zone, pattern] : kEventPatterns) {
        EXPECT_TRUE(QRegularExpression(pattern).match(eventsOf(zone)).hasMatch())
            << "zone " << zone << ": " << eventsOf(zone).toStdString();
    }
    EXPECT_TRUE(sawSecondNorthTarget);
}
