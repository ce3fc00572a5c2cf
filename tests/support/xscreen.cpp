#include "xscreen.h"

#include <QProcess>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <memory>

namespace
{

constexpr int kXdotoolTimeoutMs = 5000;
constexpr unsigned long kAlphaShift = 24; // cursor pixels are ARGB words

struct DisplayCloser {
    void operator()(Display *display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct ImageDestroyer {
    void operator()(XImage *image) const { XDestroyImage(image); }
};
using ImageHandle = std::unique_ptr<XImage, ImageDestroyer>;

DisplayHandle openDisplay()
{
    return DisplayHandle(XOpenDisplay(nullptr));
}

bool runXdotool(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.start("xdotool", arguments);
    return xdotool.waitForFinished(kXdotoolTimeoutMs) && xdotool.exitCode() == 0;
}

Window windowId(const QString &window)
{
    return Window(window.toULong());
}

// The position of window among the root's children, bottom first; -1 when it
// is not one of them.
int stackingIndex(Display *display, Window window)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
        return -1;
    int index = -1;
    for (unsigned int i = 0; i < count; ++i)
        if (children[i] == window)
            index = int(i);
    XFree(children);
    return index;
}

} // namespace

bool pointerIsHiddenOver(const QString &window)
{
    if (!runXdotool({"mousemove", "--window", window, "--polar", "0", "0"}))
        return false;
    const DisplayHandle display = openDisplay();
    if (!display)
        return false;
    XFixesCursorImage *cursor = XFixesGetCursorImage(display.get());
    if (cursor == nullptr)
        return false;
    bool hidden = true;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
        hidden = hidden && (cursor->pixels[i] >> kAlphaShift) == 0;
    XFree(cursor);
    return hidden;
}

bool isStackedAbove(const QString &upper, const QString &lower)
{
    const DisplayHandle display = openDisplay();
    if (!display)
        return false;
    const int upperIndex = stackingIndex(display.get(), windowId(upper));
    const int lowerIndex = stackingIndex(display.get(), windowId(lower));
    return upperIndex >= 0 && lowerIndex >= 0 && upperIndex > lowerIndex;
}

QSize screenSize()
{
    const DisplayHandle display = openDisplay();
    if (!display)
        return QSize();
    const int screen = DefaultScreen(display.get());
    return QSize(DisplayWidth(display.get(), screen), DisplayHeight(display.get(), screen));
}

bool movePointerTo(QPoint point)
{
    return runXdotool({"mousemove", QString::number(point.x()), QString::number(point.y())});
}

bool pressKey(const QString &key)
{
    return runXdotool({"key", key});
}

QImage screenArea(const QRect &area)
{
    const DisplayHandle display = openDisplay();
    if (!display)
        return QImage();
    const ImageHandle pixels(XGetImage(display.get(), DefaultRootWindow(display.get()), area.x(),
                                       area.y(), area.width(), area.height(), AllPlanes, ZPixmap));
    if (!pixels)
        return QImage();
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            image.setPixel(x, y, XGetPixel(pixels.get(), x, y));
    return image;
}
