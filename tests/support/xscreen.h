#pragma once

#include <QSize>
#include <QString>

// What the X server shows, as a user at the screen would see it. Windows are
// named by their ids as xdotool prints them.

// Moves the pointer to the middle of window and tells whether the cursor it
// shows there has no visible pixel.
bool pointerIsHiddenOver(const QString &window);

// True when upper is stacked above lower, both children of the root window:
// where they overlap, upper is what the screen shows.
bool isStackedAbove(const QString &upper, const QString &lower);

// The size of the X server's default screen, in pixels.
QSize screenSize();
