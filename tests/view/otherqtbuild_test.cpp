#include "referenceframe.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr int kDumpTimeoutMs = 60000;
// Qt 5 draws into the window, Qt 6 into a framebuffer object, which Mesa's
// software renderer keeps the other way up; a pixel whose centre lies exactly
// on an edge shared by two triangles may then be given to the other one. The
// textures are the same (see the texture upload test), so the frames may
// differ only in such single pixels scattered along edges: at most this share
// of the frame, none with more than this many differing neighbours.
constexpr double kMostDifferingShare = 0.001;
constexpr int kMostDifferingNeighbours = 2;

bool differs(const QImage &a, const QImage &b, int x, int y)
{
    return a.valid(x, y) && a.pixel(x, y) != b.pixel(x, y);
}

int differingNeighbours(const QImage &a, const QImage &b, int x, int y)
{
    int count = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            count += (dx != 0 || dy != 0) && differs(a, b, x + dx, y + dy);
    return count;
}

QImage otherBuildsFrame(const QString &path)
{
    QProcess dump;
    dump.start(QStringLiteral(OTHER_QT_FRAME_DUMP), {path});
    if (!dump.waitForFinished(kDumpTimeoutMs) || dump.exitCode() != 0)
        return QImage();
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(OtherQtBuildTest, DrawsTheFrameOfThisBuildBarSinglePixelsOnEdges)
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
    int differing = 0;
    int crowded = 0;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            if (!differs(ours, theirs, x, y))
                continue;
            ++differing;
            crowded += differingNeighbours(ours, theirs, x, y) > kMostDifferingNeighbours;
        }
    }
    EXPECT_LE(differing, kMostDifferingShare * ours.width() * ours.height());
    EXPECT_EQ(crowded, 0) << "whole areas differ, not single pixels on edges";
}
