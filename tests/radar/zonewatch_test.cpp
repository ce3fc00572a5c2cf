#include "zonewatch.h"

#include "radargeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using radargeometry::kBeamSpeedDegPerSec;
using radargeometry::kFullTurnDeg;

const GuardZone kEast{1, 60.0, 120.0, 0.2, 0.8};
const GuardZone kNorth{2, 330.0, 30.0, 0.0, 1.0};
const GuardZone kWhole{3, 0.0, 360.0, 0.0, 2.0};
const GuardZone kWideThroughNorth{4, 20.0, 10.0, 0.0, 1.0};

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

// The beam turning over standing targets, tick after tick, as the client
// drives the zones: frames of 5 to 60 ms with now and then a stall of up to
// 0.5 s. Each target is hit once a turn anywhere in its window of +-5
// degrees, and now and then once more later in it (as a renewed snapshot
// does), each hit coming at the end of the tick that reaches it.
class Sweep
{
public:
    Sweep(ZoneWatch &zones, unsigned seed) : zones(zones), random(seed) {}

    // From now on these targets stand, and no others; each is first hit in
    // the first of its windows wholly ahead of the beam.
    void standing(const std::vector<Place> &places)
    {
        targets.clear();
        for (const Place &place : places) {
            Target target{
                place,
                beam + std::fmod(place.bearing - std::fmod(beam, kFullTurnDeg) + kFullTurnDeg,
                                 kFullTurnDeg),
                {}};
            if (target.turnAt - kHalfWindowDeg < beam)
                target.turnAt += kFullTurnDeg;
            schedule(target);
            targets.push_back(target);
        }
    }

    void turn(double degrees)
    {
        for (const double end = beam + degrees; beam < end;)
            tick();
    }

    void tick()
    {
        const double seconds = chance(random) < kStallChance ? stall(random) : frame(random);
        const double turned = seconds * kBeamSpeedDegPerSec;
        zones.beamTurned(std::fmod(beam, kFullTurnDeg), turned);
        tickStart = beam;
        beam += turned;
        for (Target &target : targets) {
            while (!target.hitsAt.empty() && target.hitsAt.front() <= beam) {
                hit(target.place);
                target.hitsAt.pop_front();
            }
            if (target.hitsAt.empty())
                schedule(target);
        }
        zones.hitsScanned();
    }

    double beam = 0.0;       // degrees turned since the start, not folded
    double tickStart = 0.0;  // the beam where the latest tick began
    double lastHitAt = -1.0; // the beam at the end of the latest hit's tick

private:
    struct Target {
        Place place;
        double turnAt;             // the beam, not folded, on the target's bearing next turn
        std::deque<double> hitsAt; // the beam, not folded, at this turn's hits
    };

    void schedule(Target &target)
    {
        const double first = target.turnAt + inWindow(random);
        target.hitsAt = {first};
        if (chance(random) < kSecondHitChance)
            target.hitsAt.push_back(first +
                                    (target.turnAt + kHalfWindowDeg - first) * chance(random));
        target.turnAt += kFullTurnDeg;
    }

    void hit(const Place &place)
    {
        Hit marked{0.0f, 0.0f, 2.0f};
        zones.targetHit(wireX(place), wireY(place), float(place.bearing), marked);
        lastHitAt = beam;
    }

    static constexpr double kHalfWindowDeg = 5.0;
    static constexpr double kStallChance = 0.02;
    static constexpr double kSecondHitChance = 0.2;
    ZoneWatch &zones;
    std::mt19937 random;
    std::uniform_real_distribution<double> frame{0.005, 0.060};
    std::uniform_real_distribution<double> stall{0.060, 0.500};
    std::uniform_real_distribution<double> chance{0.0, 1.0};
    std::uniform_real_distribution<double> inWindow{-kHalfWindowDeg, kHalfWindowDeg};
    std::vector<Target> targets;
};

class ZoneWatchTest : public testing::Test
{
protected:
    void watch(std::vector<GuardZone> zones)
    {
        zoneWatch = std::make_unique<ZoneWatch>(std::move(zones), out, [this] { ++sounds; });
    }

    void hit(const Place &p)
    {
        Hit marked{0.0f, 0.0f, 2.0f};
        zoneWatch->targetHit(wireX(p), wireY(p), float(p.bearing), marked);
        lastHit = marked;
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
    Hit lastHit{0.0f, 0.0f, 0.0f};
    int sounds = 0;
};

} // namespace

TEST(GuardZoneTest, HoldsItsSectorAndRingBothEndsIncludedWith0And360TheSameBearing)
{
    struct Case {
        GuardZone zone;
        double bearing, distance;
        bool inside;
    };
    const Case cases[] = {
        {kEast, 60.0, 0.5, true},
        {kEast, 120.0, 0.5, true},
        {kEast, 59.9999, 0.5, false},
        {kEast, 90.0, 0.2, true},
        {kEast, 90.0, 0.8, true},
        {kEast, 90.0, 0.19999, false},
        {kNorth, 350.0, 0.5, true},
        {kNorth, 0.0, 0.5, true},
        {kNorth, 360.0, 0.5, true},
        {kNorth, 30.0001, 0.5, false},
        {kNorth, 180.0, 0.5, false},
        {kWhole, 0.0, 1.0, true},
        {kWhole, 360.0, 1.9, true},
        {kWideThroughNorth, 15.0, 0.5, false},
        {kWideThroughNorth, 360.0, 0.5, true},
        {{5, 0, 30, 0, 1}, 360.0, 0.5, true},
        {{6, 330, 360, 0, 1}, 0.0, 0.5, true},
        {{7, 360, 30, 0, 1}, 0.0, 0.5, true},
        {{8, 330, 360, 0, 1}, 30.0, 0.5, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.zone.contains(c.bearing, c.distance), c.inside)
            << c.zone.from << ".." << c.zone.to << " at " << c.bearing << ", " << c.distance;
    // Compared as printed: 45.00004 prints as 45.
    EXPECT_EQ(printed(45.00004).text, "45");
    EXPECT_TRUE((GuardZone{9, 0, 45, 0, 1}.contains(printed(45.00004).value, 0.5)));
    EXPECT_DOUBLE_EQ(zoneDistance(0.5f, 0.0f), 1.0);
}

// Whatever the zone's shape, a target standing anywhere in it keeps it in
// alarm with one sound, however the frames fall, even where its hit window
// straddles the zone's pass end; once it has gone, the zone clears within
// two turns (and the window) of its last hit: in the tick that began by then.
TEST_F(ZoneWatchTest, AStandingTargetNearAnyPassEndNeverClearsAndItsLeavingClearsWithinTwoTurns)
{
    constexpr double kBearingStepDeg = 0.1;
    constexpr double kNearPassEndDeg = 10.0;
    constexpr double kLatestClearDeg = 2 * 360.0 + 10.0;
    unsigned seed = 1;
    for (const GuardZone &zone : {kEast, kNorth, kWhole, kWideThroughNorth}) {
        const double passEnd = zone.passEnd();
        for (double offset = -kNearPassEndDeg; offset <= kNearPassEndDeg;
             offset += kBearingStepDeg) {
            const double bearing = std::fmod(passEnd + offset + kFullTurnDeg, kFullTurnDeg);
            if (!zone.coversBearing(printed(bearing).value))
                continue;
            out.str("");
            sounds = 0;
            watch({zone});
            Sweep sweep(*zoneWatch, seed++);
            sweep.standing({{bearing, 0.5}});
            sweep.turn(5 * kFullTurnDeg);
            ASSERT_EQ(linesStartingWith("clear zone"), 0)
                << "zone " << zone.from << ".." << zone.to << ", target at " << bearing;
            ASSERT_EQ(sounds, 1) << "target at " << bearing << out.str();
            sweep.standing({});
            const double lastHit = sweep.lastHitAt;
            while (linesStartingWith("clear zone") == 0 && sweep.beam - lastHit < 3 * kFullTurnDeg)
                sweep.tick();
            ASSERT_EQ(linesStartingWith("clear zone"), 1) << "target at " << bearing;
            ASSERT_LE(sweep.tickStart - lastHit, kLatestClearDeg) << "target at " << bearing;
        }
    }
}

TEST_F(ZoneWatchTest, ANewTargetSoundsAgainAndOneWithin0_05OfAHitDoesNot)
{
    struct Case {
        double moved; // from the first target, in the zones' distance unit
        int sounds;
    };
    for (const Case &c : {Case{0.03, 1}, Case{0.07, 2}}) {
        sounds = 0;
        watch({kEast});
        Sweep sweep(*zoneWatch, 7);
        sweep.standing({{90.0, 0.5}});
        sweep.turn(kFullTurnDeg);
        sweep.standing({{90.0, 0.5}, {90.0, 0.5 + c.moved}});
        sweep.turn(kFullTurnDeg);
        EXPECT_EQ(sounds, c.sounds) << "moved " << c.moved;
    }
}

TEST_F(ZoneWatchTest, AHitInTwoZonesWritesALineForEachAndAnOutageMakesThemUnknownNotClear)
{
    watch({kEast, kWhole});
    hit({90.0, 0.5});
    EXPECT_EQ(out.str(),
              "alarm zone 1 @ alpha: 90 range: 0.5\nalarm zone 3 @ alpha: 90 range: 0.5\n");
    EXPECT_EQ(lastHit.printedBearing, 90.0);
    EXPECT_TRUE(zoneWatch->inZoneInAlarm(lastHit));
    EXPECT_EQ(sounds, 1);

    out.str("");
    zoneWatch->signalLost();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(zoneWatch->state(0), ZoneWatch::State::Unknown);
    EXPECT_FALSE(zoneWatch->inZoneInAlarm(lastHit));
    zoneWatch->signalBack();
    EXPECT_EQ(zoneWatch->state(0), ZoneWatch::State::Armed);
    hit({90.0, 0.5});
    EXPECT_EQ(linesStartingWith("alarm zone"), 2);
    EXPECT_EQ(sounds, 2);
}
