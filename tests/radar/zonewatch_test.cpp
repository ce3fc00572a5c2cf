#include "zonewatch.h"

#include "radargeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using radargeometry::kBeamSpeedDegPerSec;
using radargeometry::kFullTurnDeg;
using radargeometry::sceneOfWire;

const GuardZone kEast{1, 60.0, 120.0, 0.2, 0.8};
const GuardZone kNorth{2, 330.0, 30.0, 0.0, 1.0};
const GuardZone kWhole{3, 0.0, 360.0, 0.0, 2.0};

// A target of the zones' test, by bearing and distance d from the centre.
struct Place {
    double bearing;
    double distance;
};

float wireX(const Place &p)
{
    return float(0.5 + p.distance / 2 * std::sin(p.bearing * M_PI / 180.0));
}

float wireY(const Place &p)
{
    return float(0.5 - p.distance / 2 * std::cos(p.bearing * M_PI / 180.0));
}

class ZoneWatchTest : public testing::Test
{
protected:
    void watch(std::vector<GuardZone> zones)
    {
        zoneWatch = std::make_unique<ZoneWatch>(std::move(zones), out, [this] { ++sounds; });
    }

    void hit(const Place &p) { zoneWatch->targetHit(wireX(p), wireY(p), float(p.bearing)); }

    // Turns the beam through seconds of ticks of dt, hitting each target as
    // the beam passes its bearing, as the hit scan does once a turn.
    void turn(double seconds, double dt, const std::vector<Place> &targets)
    {
        for (double t = 0.0; t < seconds - 1e-9; t += dt) {
            const double turned = dt * kBeamSpeedDegPerSec;
            for (const Place &p : targets) {
                const double ahead = std::fmod(p.bearing - beam + kFullTurnDeg, kFullTurnDeg);
                if (ahead > 0.0 && ahead <= turned)
                    hit(p);
            }
            zoneWatch->beamTurned(beam, turned);
            beam = std::fmod(beam + turned, kFullTurnDeg);
        }
    }

    int linesStartingWith(const std::string &start) const
    {
        std::istringstream lines(out.str());
        int count = 0;
        for (std::string line; std::getline(lines, line);)
            count += line.rfind(start, 0) == 0;
        return count;
    }

    std::ostringstream out;
    std::unique_ptr<ZoneWatch> zoneWatch;
    int sounds = 0;
    double beam = 0.0;
};

} // namespace

TEST(GuardZoneTest, HoldsItsSectorAndRingBothEndsIncluded)
{
    struct Case {
        GuardZone zone;
        double bearing, distance;
        bool inside;
    };
    const Case cases[] = {
        {kEast, 60.0, 0.5, true},     {kEast, 120.0, 0.5, true},
        {kEast, 59.9999, 0.5, false}, {kEast, 90.0, 0.2, true},
        {kEast, 90.0, 0.8, true},     {kEast, 90.0, 0.19999, false},
        {kNorth, 350.0, 0.5, true},   {kNorth, 0.0, 0.5, true},
        {kNorth, 30.0, 0.5, true},    {kNorth, 30.0001, 0.5, false},
        {kNorth, 180.0, 0.5, false},  {kWhole, 0.0, 1.0, true},
        {kWhole, 359.999, 1.9, true}, {{4, 45, 45, 0, 1}, 45.0, 0.5, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.zone.contains(c.bearing, c.distance), c.inside)
            << c.zone.from << ".." << c.zone.to << " at " << c.bearing << ", " << c.distance;
    // Compared as printed: 45.00004 prints as 45.
    EXPECT_TRUE((GuardZone{5, 0, 45, 0, 1}.contains(asPrinted(45.00004), 0.5)));
    EXPECT_DOUBLE_EQ(zoneDistance(0.5f, 0.0f), 1.0);
}

TEST_F(ZoneWatchTest, AStandingTargetAlarmsEveryTurnWithOneSoundAndClearsAPassAfterLeaving)
{
    // The pass ends at 125, 35 and 5 degrees: targets just before them are
    // hit as late in a pass as can be.
    for (const double dt : {0.02, 0.25, 0.9}) {
        for (const Place &target : {Place{119.0, 0.5}, Place{29.0, 0.5}, Place{1.0, 0.5}}) {
            out.str("");
            sounds = 0;
            watch({kEast, kNorth, kWhole});
            turn(3 * 4.5, dt, {target});
            EXPECT_GE(linesStartingWith("alarm zone"), 3 * 2)
                << dt << " s ticks, target at " << target.bearing;
            EXPECT_EQ(linesStartingWith("clear zone"), 0) << out.str();
            EXPECT_EQ(sounds, 1);
            turn(2 * 4.5, dt, {});
            // Each target lies in the whole circle and in one sector.
            EXPECT_EQ(linesStartingWith("clear zone"), 2) << out.str();
        }
    }
}

TEST_F(ZoneWatchTest, ANewTargetInAZoneInAlarmSoundsAgainAndANearbyHitDoesNot)
{
    watch({kEast});
    const Place first{90.0, 0.5};
    turn(4.5, 0.02, {first});
    ASSERT_EQ(sounds, 1);
    // The same target, moved less than the new-target distance, and a second
    // one farther away.
    turn(4.5, 0.02, {{90.0, 0.5 + ZoneWatch::kNewTargetDistance * 0.6}});
    EXPECT_EQ(sounds, 1);
    turn(4.5, 0.02, {first, {100.0, 0.7}});
    EXPECT_EQ(sounds, 2);
    EXPECT_EQ(linesStartingWith("alarm zone 1 @ alpha: 100 range: 0.7"), 1) << out.str();
}

TEST_F(ZoneWatchTest, AHitInTwoZonesWritesALineForEachInZoneOrderAndAnOutageClearsThem)
{
    watch({kEast, kWhole});
    hit({90.0, 0.5});
    EXPECT_EQ(out.str(),
              "alarm zone 1 @ alpha: 90 range: 0.5\nalarm zone 3 @ alpha: 90 range: 0.5\n");
    EXPECT_TRUE(
        zoneWatch->inZoneInAlarm(sceneOfWire(wireX({95.0, 0.6})), sceneOfWire(wireY({95.0, 0.6}))));
    EXPECT_EQ(sounds, 1);
    out.str("");
    zoneWatch->clearAll();
    EXPECT_EQ(out.str(), "clear zone 1\nclear zone 3\n");
    EXPECT_FALSE(zoneWatch->isInAlarm(0));
    EXPECT_FALSE(
        zoneWatch->inZoneInAlarm(sceneOfWire(wireX({95.0, 0.6})), sceneOfWire(wireY({95.0, 0.6}))));
    hit({90.0, 0.5});
    EXPECT_EQ(sounds, 2);
}
