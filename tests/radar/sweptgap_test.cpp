#include "logic.h"
#include "sweptgap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

constexpr double kHalfWidth = 5.0;
constexpr double kFullTurn = 360.0;
// Bearings on a grid of quarter degrees, 0 to 360: exact in float and double,
// as are every beam position below, so that window edges compare exactly.
constexpr double kBearingStep = 0.25;
constexpr int kBearings = int(kFullTurn / kBearingStep) + 1;
// Fine ticks for the reference: at most this many degrees each, a power of
// two fraction of the whole tick.
constexpr double kFineTickDeg = 2.5;

double bearingAt(int i)
{
    return i * kBearingStep;
}

// The window test of one scan: plain difference, no wrap-around.
bool inWindow(double beam, double bearing)
{
    return std::fabs(bearing - beam) <= kHalfWidth;
}

// The beam turned by `travelled` degrees from `from` in fine ticks, folded
// after each as the logic folds it: every position it took, first and last
// included.
std::vector<double> finePath(double from, double travelled)
{
    int ticks = 1;
    while (travelled / ticks > kFineTickDeg)
        ticks *= 2;
    std::vector<double> path{from};
    double beam = from;
    for (int i = 0; i < ticks; ++i) {
        beam += travelled / ticks;
        Logic::normalizeAngle(beam);
        path.push_back(beam);
    }
    return path;
}

// What the window test hits over the fine path but not at its two ends, where
// the scans before and after the long tick look anyway. After a whole turn
// the beam has been everywhere, the previous scan's window included.
std::vector<bool> reachedBetween(const std::vector<double> &path, double travelled)
{
    std::vector<bool> reached(kBearings, false);
    for (double beam : path) {
        // Only the grid points near the beam can be in its window.
        const int first = std::max(0, int((beam - kHalfWidth) / kBearingStep) - 1);
        const int last = std::min(kBearings - 1, int((beam + kHalfWidth) / kBearingStep) + 1);
        for (int i = first; i <= last; ++i)
            reached[size_t(i)] = reached[size_t(i)] || inWindow(beam, bearingAt(i));
    }
    if (travelled >= kFullTurn)
        return reached;
    for (int i = 0; i < kBearings; ++i) {
        if (inWindow(path.front(), bearingAt(i)) || inWindow(path.back(), bearingAt(i)))
            reached[size_t(i)] = false;
    }
    return reached;
}

const std::vector<double> kTravels = {0,  1,  2.5, 5,   7.5, 8,   10,  10.25, 12.5,
                                      20, 40, 90,  180, 355, 359, 360, 400,   725};

std::vector<double> startingBeams()
{
    std::vector<double> beams;
    for (double beam = 0.0; beam <= kFullTurn; beam += 1.25)
        beams.push_back(beam);
    return beams;
}

} // namespace

TEST(SweptGapTest, HoldsWhatTheWindowTestHitsOverFineTicksAndNothingElse)
{
    for (double from : startingBeams()) {
        for (double travelled : kTravels) {
            const std::vector<double> path = finePath(from, travelled);
            const std::vector<bool> reached = reachedBetween(path, travelled);
            const SweptGap gap(from, path.back(), travelled, kHalfWidth);
            for (int i = 0; i < kBearings; ++i) {
                ASSERT_EQ(gap.contains(float(bearingAt(i))), reached[size_t(i)])
                    << "from " << from << " turning " << travelled << ", bearing " << bearingAt(i);
            }
        }
    }
}

TEST(SweptGapTest, TicksOfUpToTenDegreesClearOfTheSeamLeaveNoGap)
{
    for (double from : startingBeams()) {
        for (double travelled : {0.0, 0.5, 1.6, 5.0, 9.75, 10.0}) {
            const double to = from + travelled;
            if (to > kFullTurn)
                continue;
            EXPECT_TRUE(SweptGap(from, to, travelled, kHalfWidth).isEmpty())
                << "from " << from << " turning " << travelled;
        }
    }
}

TEST(SweptGapTest, TicksOfUpToFiveDegreesLeaveNoGapAcrossTheSeamEither)
{
    for (double from = 355.0; from <= kFullTurn; from += 0.25) {
        for (double travelled : {0.25, 1.6, 4.0, 5.0}) {
            double to = from + travelled;
            Logic::normalizeAngle(to);
            EXPECT_TRUE(SweptGap(from, to, travelled, kHalfWidth).isEmpty())
                << "from " << from << " turning " << travelled;
        }
    }
}

TEST(SweptGapTest, LongerTicksAcrossTheSeamReachWhatNeitherWindowDoes)
{
    // 358 to 8: the window at 8 starts at 3, and the one at 358 does not wrap.
    const SweptGap tenDegrees(358.0, 8.0, 10.0, kHalfWidth);
    EXPECT_TRUE(tenDegrees.contains(0.0f));
    EXPECT_TRUE(tenDegrees.contains(2.99f));
    EXPECT_FALSE(tenDegrees.contains(3.0f));
    EXPECT_FALSE(tenDegrees.contains(359.0f));
    // 340 to 360 and on to 20: the beam landing on 360 does not reach 0 to 5.
    const SweptGap fromTheSeam(360.0, 20.0, 20.0, kHalfWidth);
    EXPECT_TRUE(fromTheSeam.contains(0.0f));
    EXPECT_TRUE(fromTheSeam.contains(14.9f));
    EXPECT_FALSE(fromTheSeam.contains(15.0f));
    EXPECT_FALSE(fromTheSeam.contains(357.0f));
}

TEST(SweptGapTest, WholeTurnCoversTheCircleButNeverNaN)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (double travelled : {360.0, 400.0, 3600.0}) {
        const SweptGap gap(100.0, 100.0 + std::fmod(travelled, kFullTurn), travelled, kHalfWidth);
        EXPECT_FALSE(gap.isEmpty());
        for (float bearing : {0.0f, 100.0f, 180.0f, 359.99f, 360.0f})
            EXPECT_TRUE(gap.contains(bearing)) << travelled << " " << bearing;
        EXPECT_FALSE(gap.contains(nan));
    }
    const SweptGap half(0.0, 180.0, 180.0, kHalfWidth);
    EXPECT_FALSE(half.contains(nan));
}

TEST(SweptGapTest, NoPreviousScanOrNoTurnMeansNoGap)
{
    EXPECT_TRUE(SweptGap().isEmpty());
    EXPECT_FALSE(SweptGap().contains(180.0f));
    EXPECT_TRUE(SweptGap(90.0, 90.0, 0.0, kHalfWidth).isEmpty());
    EXPECT_FALSE(SweptGap(90.0, 90.0, 0.0, kHalfWidth).contains(90.0f));
}
