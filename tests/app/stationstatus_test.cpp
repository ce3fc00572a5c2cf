#include "stationstatus.h"

#include <gtest/gtest.h>

namespace
{
using Link = StationState::Link;
}

TEST(StationStatusTest, LinesSayTheLinkTheTargetsAndTheZonesInAlarm)
{
    const struct Case {
        StationState state;
        const char *line;
    } cases[] = {
        {{Link::Connecting, 0, 0, {}}, "connecting to localhost:3333"},
        {{Link::Connecting, 5, 0, {2}}, "connecting to localhost:3333"},
        {{Link::Watching, 0, 0, {}}, "watching localhost:3333: 0 targets"},
        {{Link::Watching, 1, 0, {}}, "watching localhost:3333: 1 target"},
        {{Link::Watching, 12, 0, {2}}, "watching localhost:3333: 12 targets, zone 2 in alarm"},
        {{Link::Watching, 3, 0, {2, 3}},
         "watching localhost:3333: 3 targets, zones 2 and 3 in alarm"},
        {{Link::Watching, 3, 0, {1, 2, 4}},
         "watching localhost:3333: 3 targets, zones 1, 2 and 4 in alarm"},
        {{Link::NoSignal, 0, 40, {}}, "NO SIGNAL from localhost:3333 for 40 s"},
        {{Link::NoSignal, 7, 0, {1}}, "NO SIGNAL from localhost:3333 for 0 s"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(statusLine(QStringLiteral("localhost:3333"), c.state).toStdString(), c.line);
}

TEST(StationStatusTest, AddressesStayOnOneLineAndBracketIPv6Hosts)
{
    EXPECT_EQ(serverAddress(QStringLiteral("radar.example"), 3333).toStdString(),
              "radar.example:3333");
    EXPECT_EQ(serverAddress(QStringLiteral("10.1.2.3"), 80).toStdString(), "10.1.2.3:80");
    EXPECT_EQ(serverAddress(QStringLiteral("::1"), 3333).toStdString(), "[::1]:3333");
    EXPECT_EQ(serverAddress(QStringLiteral("radar\nREADY=1\r"), 1).toStdString(),
              "radar READY=1 :1");
}

// Counts alone may wait; a new link or new zones in alarm are told at once.
TEST(StationStatusTest, SituationIsTheLinkAndTheZonesInAlarm)
{
    const StationState base{Link::Watching, 4, 0, {1}};
    EXPECT_TRUE(base.sameSituation({Link::Watching, 9, 3, {1}}));
    EXPECT_FALSE(base.sameSituation({Link::NoSignal, 4, 0, {1}}));
    EXPECT_FALSE(base.sameSituation({Link::Watching, 4, 0, {1, 2}}));
    EXPECT_NE(base, (StationState{Link::Watching, 5, 0, {1}}));
    EXPECT_EQ(base, (StationState{Link::Watching, 4, 0, {1}}));
}
