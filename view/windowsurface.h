#pragma once

#include <QSize>

#include <optional>

// What the window system says of the surface that the current context draws
// into, asked of whichever of GLX and EGL holds the current context.

// The age of the back buffer (GLX_EXT_buffer_age, EGL_EXT_buffer_age): 1 when
// it holds the frame shown last, n when it holds the one shown n - 1 swaps
// before that, 0 when its contents are undefined. Nothing where the window
// system reports no age.
std::optional<int> reportedBackBufferAge();

// The surface's size in device pixels, for a window of logicalSize at this
// display scale: logicalSize times scale where that is whole pixels, else the
// size the window system gave the surface (it rounds a fractional size its
// own way, and a pixel's difference would leave the view's buffers a size it
// does not expect).
QSize surfaceDeviceSize(QSize logicalSize, double scale);

// True when logicalSize times scale is whole pixels.
bool isWholeDeviceSize(QSize logicalSize, double scale);
