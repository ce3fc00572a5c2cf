#include "hitlayout.h"

#include "radardriver.h"
#include "radargeometry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace
{

using radargeometry::kBeamHalfWidthDeg;
using radargeometry::kFullTurnDeg;

// Beam positions while making hits, this far apart, start and end this far
// inside the sector: every target lies within the half width of one of them.
constexpr double kBeamStepDeg = 8.0;
constexpr double kBeamInsetDeg = kBeamHalfWidthDeg - 1.0;
// Where the beam waits while old hits are cleared: clear of the sector.
constexpr double kParkingOffsetDeg = 20.0;
// Longer than a hit's life, so that one update ages every hit away.
constexpr double kClearSeconds = 2.5;
// Updates while making hits: short enough that hits keep almost all their
// life and the rebuild countdown (0.7 s) does not run out.
constexpr double kMakingUpdateSeconds = 0.001;

// Radii from the screen centre, in scene units, inside the distance that wire
// coordinates 0..1 reach (radargeometry::kSceneOffset).
constexpr double kInnerRadius = 0.1;
constexpr double kOuterRadius = 1.45;
// Spreads the radii evenly without a pattern that lines up with the bearings.
constexpr double kGoldenFraction = 0.6180339887498949;
constexpr double kNsPerMs = 1e6;

double folded(double angle)
{
    return std::fmod(angle + kFullTurnDeg, kFullTurnDeg);
}

double timedUpdateMs(RadarDriver &driver, double dt)
{
    QElapsedTimer clock;
    clock.start();
    driver.update(dt);
    return clock.nsecsElapsed() / kNsPerMs;
}

} // namespace

std::vector<testframes::Record> layoutTargets(const HitLayout &layout)
{
    std::vector<testframes::Record> targets;
    for (int i = 0; i < layout.targetCount; ++i) {
        const double bearing =
            layout.firstBearing + layout.widthDeg * (i + 0.5) / layout.targetCount;
        const double radius =
            kInnerRadius + (kOuterRadius - kInnerRadius) * std::fmod(i * kGoldenFraction, 1.0);
        targets.push_back(radargeometry::targetAt(bearing, radius, quint16(i + 1)));
    }
    return targets;
}

void makeHits(RadarDriver &driver, const HitLayout &layout, double *longestUpdateMs)
{
    driver.turnBeamTo(folded(layout.firstBearing - kParkingOffsetDeg));
    // Rebuilds (clearing every hit flag) and ages every hit away.
    driver.update(kClearSeconds);
    *longestUpdateMs = 0.0;
    if (layout.targetCount == 0)
        return;
    const double lastBeam = layout.firstBearing + layout.widthDeg - kBeamInsetDeg;
    for (double beam = layout.firstBearing + kBeamInsetDeg;; beam += kBeamStepDeg) {
        driver.turnBeamTo(folded(beam));
        *longestUpdateMs = std::max(*longestUpdateMs, timedUpdateMs(driver, kMakingUpdateSeconds));
        if (beam >= lastBeam)
            break;
    }
}

bool writeScenario(const HitLayout &layout, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "# " << layout.targetCount << " standing targets in a " << layout.widthDeg
        << " degree sector from bearing " << layout.firstBearing << "\n";
    for (const testframes::Record &target : layoutTargets(layout)) {
        out << "target " << target.value << "\n";
        out << "at 0 " << QString::number(target.x, 'g', 9) << " "
            << QString::number(target.y, 'g', 9) << "\n";
    }
    return out.status() == QTextStream::Ok;
}
