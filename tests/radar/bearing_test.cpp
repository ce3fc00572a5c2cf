#include "bearing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

// The scan's decision taken the long way: exact bearing, plain difference.
bool exactlyWithin(float X, float Y, double beam, double halfWidth)
{
    return std::fabs(double(bearingOf(X, Y)) - beam) <= halfWidth;
}

} // namespace

TEST(BearingTest, FollowsTheScreenConventionWithItsOwnFactor)
{
    EXPECT_EQ(bearingOf(0.0f, -1.5f), 0.0f);
    EXPECT_NEAR(bearingOf(1.5f, -1.5f), 45.00004f, 1e-5f);
    EXPECT_NEAR(bearingOf(1.5f, 0.0f), 89.99992f, 1e-5f);
    EXPECT_EQ(bearingOf(0.0f, 1.5f), 180.0f);
    EXPECT_NEAR(bearingOf(-1.5f, 0.0f), 270.00006f, 2e-5f);
    EXPECT_NEAR(bearingOf(-1.5f, -1.5f), 314.99997f, 2e-5f);
    EXPECT_TRUE(std::isnan(bearingOf(0.0f, 0.0f)));
}

TEST(BearingTest, QuickTestDecidesExactlyAsTheArcTangent)
{
    const int steps = 181;
    for (int ix = 0; ix < steps; ++ix) {
        for (int iy = 0; iy < steps; ++iy) {
            const float X = -1.5f + 3.0f * ix / (steps - 1);
            const float Y = -1.5f + 3.0f * iy / (steps - 1);
            const double exact = bearingOf(X, Y);
            // Beams right at the edge of the window, on both sides, and across the seam.
            for (double beam : {exact - 5.0, exact + 5.0, exact - 5.0001, exact + 5.0001,
                                exact - 5.4, exact + 5.6, 0.0, 2.0, 358.0, 360.0}) {
                float bearing = -1.0f;
                const bool quick = bearingWithin(X, Y, beam, 5.0, &bearing);
                ASSERT_EQ(quick, exactlyWithin(X, Y, beam, 5.0))
                    << X << "," << Y << " beam " << beam;
                if (quick) {
                    EXPECT_EQ(bearing, bearingOf(X, Y));
                }
            }
        }
    }
}

TEST(BearingTest, QuickTestHandlesTheCentreAndNonFiniteCoordinates)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    float bearing;
    for (double beam : {0.0, 90.0, 180.0, 270.0, 360.0}) {
        EXPECT_FALSE(bearingWithin(0.0f, 0.0f, beam, 5.0, &bearing));
        EXPECT_FALSE(bearingWithin(nan, 1.0f, beam, 5.0, &bearing));
        EXPECT_FALSE(bearingWithin(inf, inf, beam, 5.0, &bearing));
        EXPECT_EQ(bearingWithin(inf, 1.0f, beam, 5.0, &bearing),
                  exactlyWithin(inf, 1.0f, beam, 5.0));
        // A negative zero Y puts a point on the +x axis at 270 degrees.
        EXPECT_EQ(bearingWithin(1.0f, -0.0f, beam, 5.0, &bearing),
                  exactlyWithin(1.0f, -0.0f, beam, 5.0));
        EXPECT_EQ(bearingWithin(-1.0f, -0.0f, beam, 5.0, &bearing),
                  exactlyWithin(-1.0f, -0.0f, beam, 5.0));
    }
}
