#include "scenarioparser.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

class ScenarioParserTest : public ::testing::Test
{
protected:
    // Parses text as if read from a file called "demo.scn".
    bool parse(const char *text)
    {
        QByteArray bytes(text);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const bool ok = parser.parse(buffer);
        error = parser.error().toStdString();
        return ok;
    }

    // The error of a fresh parser given text, or "parsed" when it passes.
    static QString errorOf(QByteArray text)
    {
        ScenarioParser fresh(QStringLiteral("demo.scn"));
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        return fresh.parse(buffer) ? QStringLiteral("parsed") : fresh.error();
    }

    ScenarioParser parser{QStringLiteral("demo.scn")};
    std::string error;
};

TEST_F(ScenarioParserTest, ReadsTracksWaypointsLoopAndComments)
{
    ASSERT_TRUE(parse("# two targets\n"
                      "\n"
                      "loop 30   # seconds\n"
                      "target 7\n"
                      "  at 0 0.1 0.2\n"
                      "\tat 10.5 0.9 -0.25  # leaves the screen\n"
                      "target 65535\n"
                      "at 2 0.5 0.5\n"))
        << error;
    const ScriptedScenario::Script &script = parser.script();
    EXPECT_DOUBLE_EQ(script.loopSeconds, 30.0);
    ASSERT_EQ(script.tracks.size(), 2u);
    EXPECT_EQ(script.tracks[0].value, 7);
    ASSERT_EQ(script.tracks[0].waypoints.size(), 2u);
    EXPECT_DOUBLE_EQ(script.tracks[0].waypoints[1].seconds, 10.5);
    EXPECT_FLOAT_EQ(script.tracks[0].waypoints[1].x, 0.9f);
    EXPECT_FLOAT_EQ(script.tracks[0].waypoints[1].y, -0.25f);
    EXPECT_EQ(script.tracks[1].value, 65535);
}

TEST_F(ScenarioParserTest, EmptyOrCommentOnlyFileHasNoTracks)
{
    EXPECT_TRUE(parse(""));
    EXPECT_TRUE(parse("# nothing here\n   \n"));
    EXPECT_TRUE(parser.script().tracks.empty());
}

TEST_F(ScenarioParserTest, BadLinesAreReportedWithFileAndLine)
{
    const struct {
        const char *text;
        const char *message;
    } cases[] = {
        {"target 1\nat 0 0 0\njump 3\n", "demo.scn:3: unknown keyword 'jump'"},
        {"target 1\nat 0 0\n", "demo.scn:2: expected 'at SECONDS X Y'"},
        {"target\n", "demo.scn:1: expected 'target VALUE'"},
        {"loop 1 2\n", "demo.scn:1: expected 'loop SECONDS'"},
        {"target 1\nat 0 zero 0\n", "demo.scn:2: 'zero' is not a number"},
        {"target 1\nat 0 1e39 0\n", "demo.scn:2: '1e39' is not a finite number"},
        {"target 1\nat 0 nan 0\n", "demo.scn:2: 'nan' is not a finite number"},
        {"at 0 0.5 0.5\n", "demo.scn:1: waypoint before any 'target'"},
        {"target 1\nat -1 0 0\n", "demo.scn:2: time must not be negative"},
        {"target 1\nat 2 0 0\nat 2 1 1\n", "demo.scn:3: time must increase along a track"},
        {"target 65536\n", "demo.scn:1: value must be a whole number from 0 to 65535"},
        {"target 1.5\n", "demo.scn:1: value must be a whole number from 0 to 65535"},
        {"target -1\n", "demo.scn:1: value must be a whole number from 0 to 65535"},
        {"loop 0\n", "demo.scn:1: loop time must be greater than 0"},
        {"loop 5\nloop 6\n", "demo.scn:2: loop already given on line 1"},
        {"# a\ntarget 1\ntarget 2\nat 0 0 0\n", "demo.scn:2: target has no waypoints"},
        {"target 1\nat 0 0 0\ntarget 2\n", "demo.scn:3: target has no waypoints"},
        {"loop 5\ntarget 1\nat 0 0 0\nat 6 1 1\n",
         "demo.scn:1: loop ends before the last waypoint"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errorOf(c.text).toStdString(), c.message) << c.text;
}

// The whole field in quotes: printable text as it is, a quote or backslash
// escaped, every other byte as \xHH.
TEST_F(ScenarioParserTest, FieldsInMessagesAreQuotedWholeWithUnprintableBytesEscaped)
{
    const struct {
        QByteArray text;
        const char *message;
    } cases[] = {
        {QByteArrayLiteral("RADARREC\0\x01\0\0 rest\n"),
         R"(demo.scn:1: unknown keyword 'RADARREC\x00\x01\x00\x00')"},
        {"it's\n", R"(demo.scn:1: unknown keyword 'it\'s')"},
        {"back\\slash\n", R"(demo.scn:1: unknown keyword 'back\\slash')"},
        {"zi\xc3\xabl\r\n", "demo.scn:1: unknown keyword 'zi\xc3\xabl'"},
        {"\xff\xfe\x7f\x1b\n", R"(demo.scn:1: unknown keyword '\xff\xfe\x7f\x1b')"},
        {"ab\xc3\n", R"(demo.scn:1: unknown keyword 'ab\xc3')"},
        {"\xed\xa0\x80\n", R"(demo.scn:1: unknown keyword '\xed\xa0\x80')"},
        {QByteArrayLiteral("target 1\nat 0 0.5 1\0\n"), R"(demo.scn:2: '1\x00' is not a number)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errorOf(c.text), QString::fromUtf8(c.message));
}

TEST_F(ScenarioParserTest, MoreThanThousandTargetsIsAnError)
{
    QByteArray text;
    for (int i = 0; i < 1001; ++i)
        text += "target 1\nat 0 0.5 0.5\n";
    EXPECT_FALSE(parse(text.constData()));
    EXPECT_EQ(error, "demo.scn:2001: more than 1000 targets");
}

TEST_F(ScenarioParserTest, ShippedExampleParses)
{
    ScenarioParser example(QStringLiteral(RADAR_SIM_EXAMPLES "/crossing.scn"));
    ASSERT_TRUE(example.parseFile()) << example.error().toStdString();
    EXPECT_EQ(example.script().tracks.size(), 4u);
    EXPECT_DOUBLE_EQ(example.script().loopSeconds, 40.0);
}

TEST_F(ScenarioParserTest, FilesAreReadAndMissingOnesReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("one.scn"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("target 3\nat 0 0.25 0.75\nbogus\n");
    file.close();

    ScenarioParser fromFile(path);
    EXPECT_FALSE(fromFile.parseFile());
    EXPECT_EQ(fromFile.error(), path + QStringLiteral(":3: unknown keyword 'bogus'"));

    ScenarioParser missing(dir.filePath(QStringLiteral("absent.scn")));
    EXPECT_FALSE(missing.parseFile());
    EXPECT_TRUE(missing.error().startsWith(dir.filePath(QStringLiteral("absent.scn")) +
                                           QStringLiteral(": cannot open")));
}

} // namespace
