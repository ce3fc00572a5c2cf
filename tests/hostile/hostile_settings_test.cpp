// Settings files built to attack the XML parser, through the window's own
// start-up: each must be refused with the usual box, at once and without
// the memory an expansion or a deep tree would take.
#include "window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <iostream>

namespace
{

constexpr int kBoxPollMs = 20;
// Generous bounds: a refused file costs milliseconds and a few megabytes at
// most, while an expansion or a deep DOM tree takes minutes or gigabytes.
constexpr qint64 kRefusalTimeBoundMs = 5000;
constexpr long kPeakGrowthBoundKib = 16 * 1024;
constexpr int kNestingDepth = 100000;
constexpr int kHugeFileBytes = 2 * 1024 * 1024;

// Peak resident memory of this process so far (VmHWM), in KiB.
long peakResidentKib()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    const QRegularExpressionMatch match =
        QRegularExpression("VmHWM:\\s+([0-9]+) kB").match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

QByteArray laughs()
{
    QByteArray doc = "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY l0 \"lol\">";
    for (int level = 1; level <= 9; ++level)
        doc += QString("<!ENTITY l%1 \"%2\">")
                   .arg(level)
                   .arg(QString("&l%1;").arg(level - 1).repeated(10))
                   .toLatin1();
    return doc + "]><settings><host>&l9;</host></settings>";
}

class HostileSettingsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QObject::connect(&poll, &QTimer::timeout, [this] { answerBox(); });
        poll.start(kBoxPollMs);
    }
    void TearDown() override { QDir::setCurrent(previous); }

    // Starts a window on the document and checks that it was refused with
    // the settings box, quickly and without a jump in peak memory.
    void expectRefused(const QByteArray &document)
    {
        // A first refusal without any file sets up the toolkit and the box,
        // so that the measurement below sees the parser alone.
        {
            Window warmUp;
        }
        QFile file(dir.filePath("clientSettings.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(document);
        file.close();
        const long peakBefore = peakResidentKib();
        QElapsedTimer clock;
        clock.start();
        Window window;
        const qint64 elapsed = clock.elapsed();
        const long growth = peakResidentKib() - peakBefore;
        std::cout << "refused " << document.size() << " bytes in " << elapsed
                  << " ms, peak memory +" << growth << " KiB" << std::endl;
        EXPECT_FALSE(window.isOk());
        EXPECT_EQ(title, "Client error");
        EXPECT_EQ(text, "Unable to load the file clientSttings.xml!");
        EXPECT_LT(elapsed, kRefusalTimeBoundMs);
        EXPECT_LT(growth, kPeakGrowthBoundKib);
    }

    QString title;
    QString text;

private:
    void answerBox()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    }

    QTemporaryDir dir;
    QString previous;
    QTimer poll;
};

} // namespace

TEST_F(HostileSettingsTest, EntityExpansionIsRefused)
{
    expectRefused(laughs());
}

TEST_F(HostileSettingsTest, ExternalEntityIsRefused)
{
    expectRefused("<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY x SYSTEM \"file:///dev/zero\">]>"
                  "<settings><host>&x;</host></settings>");
}

TEST_F(HostileSettingsTest, VeryDeepNestingIsRefused)
{
    expectRefused("<settings>" + QByteArray("<a>").repeated(kNestingDepth) +
                  QByteArray("</a>").repeated(kNestingDepth) + "</settings>");
}

TEST_F(HostileSettingsTest, HugeFileIsRefused)
{
    expectRefused("<settings><host>" + QByteArray(kHugeFileBytes, 'x') + "</host></settings>");
}
