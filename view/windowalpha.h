#pragma once

#include <QRegion>

// A compositor blends a window whose buffers have an alpha channel over what
// lies beneath it, by that alpha. The scene leaves alpha below 1 wherever it
// blends or its material has less (about 0.72 on the station), so such a
// window shows washed out. Qt 6.4's Wayland platform gives every OpenGL
// window an alpha channel, asked for or not, and the view is a sub-surface
// over its main window there: every colour came out some 70 levels too
// bright. So the view sets the alpha to 1 wherever a frame drew.
class WindowAlpha
{
public:
    // No alpha channel: makeOpaque does nothing.
    WindowAlpha() = default;

    // The alpha channel of the framebuffer bound now (the window's), if it
    // has one. Needs the context current.
    static WindowAlpha ofBoundFramebuffer();

    // Sets the alpha of the bound framebuffer to 1 in area (device pixels,
    // origin bottom left), and leaves the colours and the context's state as
    // they were. Needs the context current.
    void makeOpaque(const QRegion &area) const;

private:
    explicit WindowAlpha(bool present) : present(present) {}

    bool present = false;
};
