// What the monitors say, from the station's state and the tally kept for them.
#include "stationpanels.h"
#include "stationtally.h"

#include <gtest/gtest.h>

namespace
{

PanelFacts facts(StationState::Link link, int zones, std::vector<int> inAlarm)
{
    PanelFacts f;
    f.state.link = link;
    f.state.targets = 12;
    f.state.secondsWithoutFrames = 40;
    f.state.zonesInAlarm = std::move(inAlarm);
    f.server = "localhost:3333";
    f.lastFrameAge = link == StationState::Link::Connecting ? -1.0 : 0.26;
    f.hitsInLastTurn = 34;
    f.zones = zones;
    f.time = QTime(3, 12, 45);
    return f;
}

} // namespace

TEST(StationPanelsTest, EachMonitorSaysItsPartForEachLinkAndZoneState)
{
    using Link = StationState::Link;
    PanelFacts unknown = facts(Link::NoSignal, 4, {});
    unknown.zonesUnknown = {1, 4};
    struct Case {
        PanelFacts facts;
        PanelTexts::Panel panel;
        std::array<QString, PanelTexts::kLines> lines;
        bool alarm;
    };
    const Case cases[] = {
        {facts(Link::Watching, 4, {}),
         PanelTexts::Link,
         {"LIVE AGE 0.3 S", "localhost:3333"},
         false},
        {facts(Link::NoSignal, 4, {}),
         PanelTexts::Link,
         {"NO SIGNAL 0.3 S", "localhost:3333"},
         false},
        {facts(Link::Connecting, 4, {}), PanelTexts::Link, {"CONNECTING", "localhost:3333"}, false},
        {facts(Link::Watching, 4, {}),
         PanelTexts::Targets,
         {"TARGETS 12", "HITS 34 LAST TURN"},
         false},
        {facts(Link::Watching, 4, {}), PanelTexts::Zones, {"ZONES 4", "03:12:45"}, false},
        {facts(Link::Watching, 4, {2, 3}), PanelTexts::Zones, {"ALARM 2 3", "03:12:45"}, true},
        {facts(Link::Watching, 0, {}), PanelTexts::Zones, {"03:12:45", ""}, false},
        {unknown, PanelTexts::Zones, {"UNKNOWN 1 4", "03:12:45"}, false},
    };
    for (const Case &c : cases) {
        const PanelTexts panels = stationPanels(c.facts);
        EXPECT_EQ(panels.lines[c.panel], c.lines) << c.lines[0].toStdString();
        EXPECT_EQ(panels.alarm, c.alarm) << c.lines[0].toStdString();
    }
    PanelFacts longName = facts(Link::Watching, 0, {});
    longName.server = "radar-north.harbour.example.org:3333";
    const QString shown = stationPanels(longName).lines[PanelTexts::Link][1];
    EXPECT_EQ(shown.size(), kPanelLineChars);
    EXPECT_TRUE(shown.startsWith("radar-north.harb") && shown.endsWith("..."))
        << shown.toStdString();
}

TEST(StationTallyTest, FrameAgeFollowsFramesAndHitsAreCountedOverTheLastTurn)
{
    StationTally tally;
    tally.tick(0.1, 8.0, 0, 0);
    EXPECT_LT(tally.lastFrameAge(), 0.0) << "no frame yet";
    tally.tick(0.1, 8.0, 1, 0);
    EXPECT_EQ(tally.lastFrameAge(), 0.0);
    tally.tick(0.1, 8.0, 1, 0);
    tally.tick(0.2, 16.0, 1, 0);
    EXPECT_NEAR(tally.lastFrameAge(), 0.3, 1e-9);
    tally.tick(0.1, 8.0, 1, 0); // a new connection's first frame is a frame too
    tally.tick(0.1, 8.0, 1, 0);
    tally.tick(0.1, 8.0, 0, 0);
    EXPECT_EQ(tally.lastFrameAge(), 0.0);

    // A hit every 10 degrees: 36 a turn, told once the turn is whole, so
    // that the count changes once a turn; the first turn's so far until then.
    StationTally hits;
    for (int tick = 1; tick <= 18; ++tick)
        hits.tick(0.125, 10.0, tick, tick);
    EXPECT_EQ(hits.hitsInLastTurn(), 18);
    for (int tick = 19; tick <= 40; ++tick)
        hits.tick(0.125, 10.0, tick, tick + (tick > 36 ? 10 : 0));
    EXPECT_EQ(hits.hitsInLastTurn(), 36) << "the first whole turn, not what came since";
    for (int tick = 41; tick <= 72; ++tick)
        hits.tick(0.125, 10.0, tick, tick + 10);
    EXPECT_EQ(hits.hitsInLastTurn(), 46);
}
