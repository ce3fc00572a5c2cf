#include "guardzonereader.h"
#include "settings.h"

#include <QDomDocument>
#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>

namespace
{

QString zone(const QString &from, const QString &to, const QString &inner, const QString &outer)
{
    QString xml = "<guardZone>";
    const std::pair<const char *, QString> fields[] = {
        {"from", from}, {"to", to}, {"inner", inner}, {"outer", outer}};
    for (const auto &[key, value] : fields) {
        if (!value.isNull())
            xml += QString("<%1>%2</%1>").arg(key, value);
    }
    return xml + "</guardZone>";
}

} // namespace

TEST(GuardZoneReaderTest, ReadsGoodZonesAndSkipsEachBadOneWithItsNumberAndReason)
{
    struct Case {
        QString xml;
        const char *problem; // nullptr: the zone is read
    };
    const Case cases[] = {
        {zone("330", "30", "0.2", "0.6"), nullptr},
        {zone("0", "360", " 0 ", "1e0"), nullptr},
        {zone("10", QString(), "0", "1"), "'to' is missing"},
        {zone("10", "20", "abc", "1"), "'inner' is not a number: 'abc'"},
        {zone("nan", "20", "0", "1"), "'from' is not a number: 'nan'"},
        {zone("10", "360.5", "0", "1"), "'to' is 360.5, outside 0 to 360"},
        {zone("-1", "20", "0", "1"), "'from' is -1, outside 0 to 360"},
        {zone("10", "20", "-0.1", "1"), "'inner' is -0.1, below 0"},
        {zone("10", "20", "0.7", "0.6"), "'inner' 0.7 is above 'outer' 0.6"},
        {zone("10", "20", "0", "inf"), "'outer' is not a number: 'inf'"},
        {zone("30", "30", "0", "1"),
         "'from' 30 and 'to' 30 are the same bearing; use 0 and 360 for a whole circle"},
        {zone("360", "0", "0", "1"),
         "'from' 360 and 'to' 0 are the same bearing; use 0 and 360 for a whole circle"},
        {zone("10", "20", "2.5", "3"), "'inner' 2.5 lies beyond the screen's corner (2.35702)"},
        {zone("10", "20", "0", "1e9"),
         "'outer' 1e+09 lies beyond the screen's corner; taken as 2.35702"},
    };
    QString xml = "<settings><host>h</host>";
    for (const Case &c : cases)
        xml += c.xml;
    xml += "<other><guardZone><from>1</from><to>2</to><inner>0</inner><outer>1</outer>"
           "</guardZone></other></settings>";
    QDomDocument document;
    ASSERT_TRUE(document.setContent(xml));
    std::vector<GuardZoneNote> notes;
    const std::vector<GuardZone> zones = readGuardZones(document.documentElement(), notes);
    QStringList skipped;
    for (const GuardZoneNote &note : notes)
        skipped << note.text();

    // The last zone is kept, its outer clamped; the others with a problem are skipped.
    const int clamped = int(std::size(cases));
    QStringList expected;
    for (int i = 0; i < clamped - 1; ++i) {
        if (cases[i].problem != nullptr)
            expected << QString("guard zone %1 skipped: %2").arg(i + 1).arg(cases[i].problem);
    }
    expected << QString("guard zone %1: %2").arg(clamped).arg(cases[clamped - 1].problem);
    EXPECT_EQ(skipped, expected);
    ASSERT_EQ(zones.size(), 3u); // the nested zone is not the root's
    EXPECT_EQ(zones[0].number, 1);
    EXPECT_EQ(zones[0].from, 330.0);
    EXPECT_EQ(zones[0].outer, 0.6);
    EXPECT_EQ(zones[1].number, 2);
    EXPECT_TRUE(zones[1].isWholeCircle());
    EXPECT_EQ(zones[2].number, clamped);
    EXPECT_NEAR(zones[2].outer, 2.5 / 1.5 * std::sqrt(2.0), 1e-12) << "the screen's corner";
}

// The example that the package installs, and that the scene benchmark and
// scripts/run.sh use, must be one the client reads whole.
TEST(GuardZoneReaderTest, TheExampleSettingsHoldFourUsableZones)
{
    const Settings example(RADAR_SOURCE_DIR "/packaging/examples/clientSettings-zones.xml");
    std::vector<GuardZoneNote> notes;
    EXPECT_EQ(readGuardZones(example.documentElement(), notes).size(), 4u);
    EXPECT_TRUE(notes.empty());
}
