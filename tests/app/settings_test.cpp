#include "procstatus.h"
#include "settings.h"
#include "settingserror.h"
#include "settingsscreen.h"
#include "wireformat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>

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
    EXPECT_EQ(settings->getInt("port", wire::kDefaultPort), wire::kDefaultPort);
    EXPECT_EQ(settings->getInt("timeToLive", 0), 0);
    EXPECT_EQ(settings->getString("host", "localhost"), "localhost");
    EXPECT_FLOAT_EQ(settings->getFloat("rate", 0.5f), 0.5f);
}

TEST_F(SettingsTest, ReadsEveryKeyUnderAnyRootName)
{
    auto settings = load("<radar><timeToLive>600</timeToLive><host>radar.example</host>"
                         "<port>4444</port><rate>0.25</rate></radar>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", wire::kDefaultPort), 4444);
    EXPECT_EQ(settings->getInt("timeToLive", 0), 600);
    EXPECT_EQ(settings->getString("host", "x"), "radar.example");
    EXPECT_FLOAT_EQ(settings->getFloat("rate", 0.0f), 0.25f);
}

TEST_F(SettingsTest, UnreadableNumbersFallBackToTheDefault)
{
    auto settings = load("<s><port>abc</port><timeToLive>1.5</timeToLive><rate>fast</rate>"
                         "<empty></empty></s>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", wire::kDefaultPort), wire::kDefaultPort);
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
    EXPECT_EQ(settings->getInt("port", wire::kDefaultPort), 1);
}

TEST_F(SettingsTest, UnreadableFilesThrow)
{
    EXPECT_FALSE(load(""));
    EXPECT_FALSE(load("<a/><b/>"));
    EXPECT_FALSE(load("<a><b></a>"));
    EXPECT_TRUE(throwsSettingsError([&] { Settings(dir.filePath("missing.xml")); }));
}

// What the caller is told before the throw, to report; the XML parser's own
// words differ between Qt versions, so its error is checked up to them.
TEST_F(SettingsTest, RefusedFilesSayWhyBeforeTheyThrow)
{
    const QByteArray deep = "<s>" + QByteArray("<a>").repeated(kMaxSettingsDepth) + "</s>";
    const struct {
        QByteArray document;
        const char *why;
    } cases[] = {
        {"<settings>\n  <port>1</prot>\n</settings>\n", "not well-formed XML at line 2, column "},
        {QByteArray(int(kMaxSettingsBytes) + 1, ' '), "larger than 1048576 bytes"},
        {deep, "elements nested deeper than 64 levels"},
        {"<!DOCTYPE s [<!ENTITY e \"x\">]><s>&e;</s>", "it declares entities"},
    };
    for (const auto &c : cases) {
        const QString path = write(c.document);
        QString why;
        EXPECT_TRUE(throwsSettingsError([&] { Settings(path, &why); })) << c.why;
        EXPECT_TRUE(why.startsWith(c.why)) << why.toStdString();
    }
    QString why;
    EXPECT_TRUE(throwsSettingsError([&] { Settings(dir.filePath("missing.xml"), &why); }));
    EXPECT_EQ(why, "cannot open it: No such file or directory");
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

TEST_F(SettingsTest, DocumentsUpToTheLimitsAreAccepted)
{
    auto settings = load("<?xml version=\"1.0\"?><!DOCTYPE settings><settings>"
                         "<port>4000</port></settings>");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->getInt("port", 0), 4000);

    // The root and its descendants make exactly the deepest nesting allowed;
    // one level more is refused.
    const auto nestedBelowRoot = [](int levels) {
        return "<s><port>5</port>" + QByteArray("<a>").repeated(levels) +
               QByteArray("</a>").repeated(levels) + "</s>";
    };
    auto nested = load(nestedBelowRoot(kMaxSettingsDepth - 1));
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->getInt("port", 0), 5);
    EXPECT_FALSE(load(nestedBelowRoot(kMaxSettingsDepth)));

    // A file of exactly the largest size allowed, filled out with a comment;
    // one byte more is refused.
    const QByteArray head = "<s><port>6</port></s><!--";
    const QByteArray tail = "-->";
    const QByteArray filler(int(kMaxSettingsBytes) - head.size() - tail.size(), 'x');
    auto largest = load(head + filler + tail);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->getInt("port", 0), 6);
    EXPECT_FALSE(load(head + filler + "x" + tail));
}

namespace
{

// Generous bounds: a refused file costs milliseconds and a few megabytes at
// most, while an expansion or a deep DOM tree takes minutes or gigabytes.
constexpr qint64 kRefusalTimeBoundMs = 5000;
constexpr long kPeakGrowthBoundKib = 16 * 1024;
// Deep enough to exhaust the stack of a parser that recurses per element.
constexpr int kAttackDepth = 100000;
constexpr int kEntityReferencesPerLevel = 10;

// Entities that each expand to ten of the level below: seed repeated
// 10^levels times once expanded.
QByteArray entityExpansion(const QString &seed, int levels)
{
    QString doc = QString("<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY l0 \"%1\">").arg(seed);
    for (int level = 1; level <= levels; ++level)
        doc += QString("<!ENTITY l%1 \"%2\">")
                   .arg(level)
                   .arg(QString("&l%1;").arg(level - 1).repeated(kEntityReferencesPerLevel));
    return (doc + QString("]><settings><host>&l%1;</host></settings>").arg(levels)).toLatin1();
}

struct HostileDocument {
    const char *name;
    QByteArray (*make)();
};

const HostileDocument kHostileDocuments[] = {
    {"TenMillionBytesOfEntities", [] { return entityExpansion("aaaaaaaaaa", 6); }},
    {"BillionLaughs", [] { return entityExpansion("lol", 9); }},
    {"ExternalEntity",
     [] {
         return QByteArray("<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY x SYSTEM "
                           "\"file:///dev/zero\">]><settings><host>&x;</host></settings>");
     }},
    {"VeryDeepNesting",
     [] {
         return "<settings>" + QByteArray("<a>").repeated(kAttackDepth) +
                QByteArray("</a>").repeated(kAttackDepth) + "</settings>";
     }},
    {"HugeFile",
     [] {
         return "<settings><host>" + QByteArray(int(2 * kMaxSettingsBytes), 'x') +
                "</host></settings>";
     }},
};

void PrintTo(const HostileDocument &document, std::ostream *out)
{
    *out << document.name;
}

// Settings files built to attack the XML parser.
class HostileSettingsTest : public SettingsTest, public testing::WithParamInterface<HostileDocument>
{
};

} // namespace

TEST_P(HostileSettingsTest, IsRefusedAtOnceAndWithoutTheMemoryAnAttackTakes)
{
    // A first document sets up the XML module, so that the measurement below
    // sees the refusal alone.
    ASSERT_TRUE(load("<settings/>"));
    const QByteArray document = GetParam().make();
    const QString path = write(document);
    const long peakBefore = ownStatusKib("VmHWM");
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(throwsSettingsError([&] { Settings{path}; }));
    const qint64 elapsed = clock.elapsed();
    const long growth = ownStatusKib("VmHWM") - peakBefore;
    std::cout << "refused " << document.size() << " bytes in " << elapsed << " ms, peak memory +"
              << growth << " KiB" << std::endl;
    EXPECT_LT(elapsed, kRefusalTimeBoundMs);
    EXPECT_LT(growth, kPeakGrowthBoundKib);
}

INSTANTIATE_TEST_SUITE_P(Documents, HostileSettingsTest, testing::ValuesIn(kHostileDocuments),
                         [](const testing::TestParamInfo<HostileDocument> &info) {
                             return std::string(info.param.name);
                         });
