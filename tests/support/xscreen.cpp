#include "xscreen.h"

#include <QProcess>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <memory>

namespace
{

constexpr int kXdotoolTimeoutMs = 5000;
constexpr unsigned long kAlphaShift = 24;    // cursor pixels are ARGB words
constexpr int kTextFormat = 8;               // bits per item of a text property
constexpr long kLongestPropertyLongs = 1024; // what a property read takes, in 32-bit units

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

// xdotool makes a round trip to the server before it exits, so what it sent
// has been processed when this returns.
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

// Moves the pointer to the middle of window and waits until the server has:
// what is read on the same connection afterwards sees the pointer there.
bool movePointerToTheMiddle(Display *display, Window window)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return false;
    XWarpPointer(display, None, window, 0, 0, 0, 0, attributes.width / 2, attributes.height / 2);
    XSync(display, False);
    return true;
}

} // namespace

bool pointerIsHiddenOver(const QString &window)
{
    const DisplayHandle display = openDisplay();
    if (!display || !movePointerToTheMiddle(display.get(), windowId(window)))
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
    const DisplayHandle display = openDisplay();
    if (!display)
        return false;
    XWarpPointer(display.get(), None, DefaultRootWindow(display.get()), 0, 0, 0, 0, point.x(),
                 point.y());
    XSync(display.get(), False);
    return true;
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

bool setRootProperty(const char *name, const QString &value)
{
    const DisplayHandle display = openDisplay();
    if (!display)
        return false;
    const QByteArray text = value.toUtf8();
    XChangeProperty(display.get(), DefaultRootWindow(display.get()),
                    XInternAtom(display.get(), name, False), XA_STRING, kTextFormat,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(text.constData()),
                    text.size());
    XSync(display.get(), False);
    return true;
}

QString rootProperty(const char *name)
{
    const DisplayHandle display = openDisplay();
    if (!display)
        return QString();
    Atom type = None;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char *data = nullptr;
    const Atom atom = XInternAtom(display.get(), name, True);
    if (atom == None || XGetWindowProperty(display.get(), DefaultRootWindow(display.get()), atom, 0,
                                           kLongestPropertyLongs, False, XA_STRING, &type, &format,
                                           &items, &remaining, &data) != Success)
        return QString();
    const QString value = QString::fromUtf8(reinterpret_cast<const char *>(data), int(items));
    XFree(data);
    return value;
}
