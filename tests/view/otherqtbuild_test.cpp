#include "referenceframe.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr int kDumpTimeoutMs = 60000;

QImage otherBuildsFrame(const QString &path)
{
    QProcess dump;
    dump.start(QStringLiteral(OTHER_QT_FRAME_DUMP), {path});
    if (!dump.waitForFinished(kDumpTimeoutMs) || dump.exitCode() != 0)
        return QImage();
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

int differingPixels(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    return differing;
}

} // namespace

// Both builds draw into the window's own back buffer with the same textures,
// so they must give the same pixels.
TEST(OtherQtBuildTest, DrawsTheFrameOfThisBuildByteForByte)
{
    if (std::string(OTHER_QT_FRAME_DUMP).empty())
        GTEST_SKIP() << "no build of the other Qt version to compare with "
                        "(RADAR_OTHER_QT_FRAME_DUMP)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage theirs = otherBuildsFrame(dir.filePath("other.png"));
    const QImage ours = renderReferenceFrame().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(theirs.isNull()) << "the other build drew no frame";
    ASSERT_FALSE(ours.isNull());
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(differingPixels(ours, theirs), 0);
}
