#include "referenceframe.h"

#include <gtest/gtest.h>

#include <string>

// Both builds draw into the window's own back buffer with the same textures,
// so they must give the same pixels.
TEST(OtherQtBuildTest, DrawsTheFrameOfThisBuildByteForByte)
{
    if (std::string(OTHER_QT_FRAME_DUMP).empty())
        GTEST_SKIP() << "no build of the other Qt version to compare with "
                        "(RADAR_OTHER_QT_FRAME_DUMP)";
    const QImage theirs = dumpedReferenceFrame({QStringLiteral(OTHER_QT_FRAME_DUMP)});
    const QImage ours = renderReferenceFrame().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(theirs.isNull()) << "the other build drew no frame";
    ASSERT_FALSE(ours.isNull());
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(differingPixels(ours, theirs), 0);
}
