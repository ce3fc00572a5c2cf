#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// What the X server shows, as a user at the screen would see it. Windows are
// named by their ids as xdotool prints them.

// Moves the pointer to the middle of window and tells whether the cursor it
// shows there has no visible pixel. The cursor is read once the server has
// moved the pointer.
bool pointerIsHiddenOver(const QString &window);

// True when upper is stacked above lower, both children of the root window:
// where they overlap, upper is what the screen shows.
bool isStackedAbove(const QString &upper, const QString &lower);

// The size of the X server's default screen, in pixels.
QSize screenSize();

// Moves the pointer to point on the screen; true when xdotool did.
bool movePointerTo(QPoint point);

// Presses and releases key (an X key name) as a keyboard would, for the
// window that has the keyboard focus; true when xdotool did.
bool pressKey(const QString &key);

// What the screen shows in area, as an RGB32 image; null when it cannot be read.
QImage screenArea(const QRect &area);

// Sets a text property of the root window, through a connection of its own
// that is closed again; true when the server took it.
bool setRootProperty(const char *name, const QString &value);

// A text property of the root window, read through a connection of its own;
// empty when the root has none of that name or there is no display.
QString rootProperty(const char *name);
