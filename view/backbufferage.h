#pragma once

#include <optional>

// The age of the back buffer of the current context's surface, as the window
// system reports it (GLX_EXT_buffer_age or EGL_EXT_buffer_age, whichever of
// GLX and EGL holds the current context): 1 when the buffer holds the frame
// shown last, n when it holds the one shown n - 1 swaps before that, 0 when
// its contents are undefined. Nothing where the window system reports no age.
std::optional<int> reportedBackBufferAge();
