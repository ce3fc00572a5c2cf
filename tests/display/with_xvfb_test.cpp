#include "xscreen.h"

#include <gtest/gtest.h>

namespace
{
const char kMarkName[] = "RADAR_TEST_MARK";
const char kMark[] = "set by an earlier connection";
} // namespace

// The process holds no connection to the server between the two calls, each of
// which opens and closes its own. A server that resets when its last client
// leaves forgets the property, and drops connections opened while it resets:
// a program that connects as another leaves would fail now and then.
TEST(WithXvfbTest, ServerKeepsItsStateWhenItsLastClientLeaves)
{
    ASSERT_TRUE(setRootProperty(kMarkName, kMark));
    EXPECT_EQ(rootProperty(kMarkName).toStdString(), kMark);
}
