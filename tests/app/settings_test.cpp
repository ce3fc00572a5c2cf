#include "settings.h"
#include "settingserror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace
{

// Loads a Settings from text; null when the constructor throws.
class SettingsTest : public testing::Test
{
protected:
    QString write(const QByteArray &text)
    {
        const QString path = dir.filePath("clientSettings.xml");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    }

    std::unique_ptr<Settings> load(const QByteArray &text)
    {
        const QString path = write(text);
        try {
            return std::make_unique<Settings>(path);
        } catch (SettingsError *error) {
            delete error;
            return nullptr;
        }
    }

    // True when call throws SettingsError*, which is then freed.
    template <typename Call> static bool throwsSettingsError(Call call)
    {
        try {
            call();
        } catch (SettingsError *error) {
            delete error;
            return true;
        }
        return false;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(SettingsTest, EmptyRootGivesEveryDefault)
{
    auto settings = load("<settings/>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", 3333), 3333);
    EXPECT_EQ(settings->getInt("timeToLive", 0), 0);
    EXPECT_EQ(settings->getString("host", "localhost"), "localhost");
    EXPECT_FLOAT_EQ(settings->getFloat("rate", 0.5f), 0.5f);
}

TEST_F(SettingsTest, ReadsEveryKeyUnderAnyRootName)
{
    auto settings = load("<radar><timeToLive>600</timeToLive><host>radar.example</host>"
                         "<port>4444</port><rate>0.25</rate></radar>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", 3333), 4444);
    EXPECT_EQ(settings->getInt("timeToLive", 0), 600);
    EXPECT_EQ(settings->getString("host", "x"), "radar.example");
    EXPECT_FLOAT_EQ(settings->getFloat("rate", 0.0f), 0.25f);
}

TEST_F(SettingsTest, UnreadableNumbersFallBackToTheDefault)
{
    auto settings = load("<s><port>abc</port><timeToLive>1.5</timeToLive><rate>fast</rate>"
                         "<empty></empty></s>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", 3333), 3333);
    EXPECT_EQ(settings->getInt("timeToLive", 7), 7);
    EXPECT_EQ(settings->getInt("empty", 9), 9);
    EXPECT_FLOAT_EQ(settings->getFloat("rate", 1.5f), 1.5f);
}

TEST_F(SettingsTest, HostTextIsTakenExactlyAsWritten)
{
    auto empty = load("<s><host></host></s>");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getString("host", "localhost"), "");
    auto spaced = load("<s><host>\n  radar.example \n</host></s>");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->getString("host", "localhost"), "\n  radar.example \n");
}

TEST_F(SettingsTest, OnlyTheFirstDirectChildWithTheExactNameCounts)
{
    auto settings = load("<s><group><host>nested</host></group><TimeToLive>5</TimeToLive>"
                         "<port>1</port><port>2</port></s>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getString("host", "default"), "default");
    EXPECT_EQ(settings->getInt("timeToLive", 0), 0);
    EXPECT_EQ(settings->getInt("port", 3333), 1);
}

TEST_F(SettingsTest, UnreadableFilesThrow)
{
    EXPECT_FALSE(load(""));
    EXPECT_FALSE(load("<a/><b/>"));
    EXPECT_FALSE(load("<a><b></a>"));
    EXPECT_TRUE(throwsSettingsError([&] { Settings(dir.filePath("missing.xml")); }));
}

TEST_F(SettingsTest, SetAndSaveRoundTripKeepsValuesAndPositions)
{
    auto settings = load("<s><host>a</host><port>1</port><timeToLive>3</timeToLive></s>");
    ASSERT_TRUE(settings);
    settings->setInt("port", -5);
    settings->setFloat("rate", 0.04f);
    settings->setFloat("big", 1234567.0f);
    settings->setString("host", "b");
    settings->save();

    QDomElement child = settings->documentElement().firstChildElement();
    QStringList order;
    for (; !child.isNull(); child = child.nextSiblingElement())
        order << child.tagName() + "=" + child.text();
    EXPECT_EQ(order.join(","), "host=b,port=-5,timeToLive=3,rate=0.04,big=1.23457e+06");

    Settings again(dir.filePath("clientSettings.xml"));
    EXPECT_EQ(again.getString("host", ""), "b");
    EXPECT_EQ(again.getInt("port", 0), -5);
    EXPECT_EQ(again.getInt("timeToLive", 0), 3);
    EXPECT_FLOAT_EQ(again.getFloat("rate", 0.0f), 0.04f);
}

TEST_F(SettingsTest, SaveToAnUnwritableFileThrowsAndKeepsTheDocument)
{
    auto settings = load("<s><port>1</port></s>");
    ASSERT_TRUE(settings);
    QFile::remove(dir.filePath("clientSettings.xml"));
    QDir(dir.path()).mkdir("clientSettings.xml"); // a folder cannot be opened as a file
    settings->setInt("port", 2);
    EXPECT_TRUE(throwsSettingsError([&] { settings->save(); }));
    EXPECT_EQ(settings->getInt("port", 0), 2);
}

TEST_F(SettingsTest, HostileDocumentsAreRefused)
{
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                              "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                              "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                              "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                              "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
                              "<s><host>&g;</host></s>";
    EXPECT_FALSE(load(laughs));

    const int depth = 100000;
    EXPECT_FALSE(load(QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth)));

    QByteArray huge = "<s><host>";
    huge += QByteArray(2 * 1024 * 1024, 'x');
    huge += "</host></s>";
    EXPECT_FALSE(load(huge));
}

TEST_F(SettingsTest, PlainDocumentTypeAndModestNestingAreAccepted)
{
    auto settings = load("<?xml version=\"1.0\"?><!DOCTYPE settings><settings>"
                         "<port>4000</port></settings>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", 0), 4000);

    const int depth = 60;
    auto nested = load("<s><port>5</port>" + QByteArray("<a>").repeated(depth) +
                       QByteArray("</a>").repeated(depth) + "</s>");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->getInt("port", 0), 5);
}
