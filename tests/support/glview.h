#pragma once

#include "glwidgetbase.h"

#include <QImage>
#include <QSize>

#include <memory>
#include <utility>

// Driving the radar view's OpenGL widget in tests and benchmarks the same way
// on both toolkits. Both draw into the window's back buffer and swap after
// each paint; what still differs between them for a test (how a multisampled
// surface is asked for) lives here and nowhere else.
namespace glview
{

// Shows a top-level view at size, or full screen, and waits until it can be
// drawn into; true when it can.
bool showAt(GLWidgetBase &view, QSize size);
bool showFullScreen(GLWidgetBase &view);
// Hides a shown top-level view and shows it again, so that the window system
// exposes it anew.
bool exposeAgain(GLWidgetBase &view);

bool isMultisampled(GLWidgetBase &view);

// The back buffer's pixels as grabFrameBuffer gives them, over the whole
// surface: Qt 5's own grab cuts a fractional device size to whole pixels.
QImage grabFrameBuffer(GLWidgetBase &view);

// Views made while one lives ask for a multisampled surface.
class MultisampledViews
{
public:
    MultisampledViews();
    ~MultisampledViews();
    MultisampledViews(const MultisampledViews &) = delete;
    MultisampledViews &operator=(const MultisampledViews &) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved; // the default format before
};

} // namespace glview

// A view made with these arguments that draws every frame whole, as
// RADAR_SCENE_CACHE=0 asks: the reference for the frames of a view as it runs.
template <class View, class... Arguments>
std::unique_ptr<View> makeWholeView(Arguments &&...arguments)
{
    qputenv("RADAR_SCENE_CACHE", "0");
    auto view = std::make_unique<View>(std::forward<Arguments>(arguments)...);
    qunsetenv("RADAR_SCENE_CACHE");
    return view;
}

// A view whose frames a test reads back after each repaint
// (grabFrameBuffer), with the view's protected query opened up.
template <class View> class ReadableView : public View
{
public:
    using View::keepsFixedScene;
    using View::View;

    QImage grabFrameBuffer() { return glview::grabFrameBuffer(*this); }

    // Shows the view at size, or full screen, ready to draw frames that stay
    // to be read: they are kept in the back buffer instead of being swapped
    // out. One swap lets the window system give the buffers the window's size
    // (until then they may keep an older one, and the view cannot keep its
    // scene).
    bool showAt(QSize size)
    {
        this->setAutoBufferSwap(false);
        return glview::showAt(*this, size) && drawAndSwap();
    }
    bool showFullScreen()
    {
        this->setAutoBufferSwap(false);
        return glview::showFullScreen(*this) && drawAndSwap();
    }

private:
    bool drawAndSwap()
    {
        this->updateGL();
        this->swapBuffers();
        return true;
    }
};
