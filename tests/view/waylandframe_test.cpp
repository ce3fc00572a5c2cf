#include "referenceframe.h"

#include <gtest/gtest.h>

// This program draws on X11; the same build's frame_dump draws on a Weston of
// its own with no X server and no input devices, where the view's window is
// a Wayland sub-surface. The reference frame, read back through the view's
// own grab, must be the same on both, byte for byte.
TEST(WaylandFrameTest, DrawsTheX11FrameByteForByte)
{
    const QImage onWayland = dumpedReferenceFrame({QStringLiteral(WITH_WESTON), FRAME_DUMP});
    const QImage onX11 = renderReferenceFrame().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(onWayland.isNull()) << "no frame drawn on Weston";
    ASSERT_FALSE(onX11.isNull());
    ASSERT_EQ(onWayland.size(), onX11.size());
    EXPECT_EQ(differingPixels(onWayland, onX11), 0);
}
