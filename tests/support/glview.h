#pragma once

#include "glwidgetbase.h"

#include <QSize>

#include <memory>

// Driving the radar view's OpenGL widget in tests and benchmarks the same way
// on both toolkits: Qt 5's QGLWidget draws into the window's back buffer and
// swaps after each paint, Qt 6's QOpenGLWidget into a framebuffer object of its
// own. What differs between them for a test lives here and nowhere else.
namespace glview
{

// Shows a top-level view at size, or full screen, and waits until it can be
// drawn into; true when it can.
bool showAt(GLWidgetBase &view, QSize size);
bool showFullScreen(GLWidgetBase &view);

bool isMultisampled(GLWidgetBase &view);

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

// A view whose frames a test reads back after each repaint
// (grabFrameBuffer), with the view's protected query opened up.
template <class View> class ReadableView : public View
{
public:
    using View::keepsFixedScene;
    using View::View;

    // Shows the view at size, ready to draw frames that stay to be read. On Qt
    // 5 the frames are kept in the back buffer instead of being swapped out,
    // and one swap lets the window system give the buffers the window's size
    // (until then they may keep an older one, and the view cannot keep its
    // scene).
    bool showAt(QSize size)
    {
#if QT_VERSION_MAJOR < 6
        this->setAutoBufferSwap(false);
#endif
        if (!glview::showAt(*this, size))
            return false;
#if QT_VERSION_MAJOR < 6
        this->updateGL();
        this->swapBuffers();
#endif
        return true;
    }
};
