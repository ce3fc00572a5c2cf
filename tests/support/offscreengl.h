#pragma once

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPoint>
#include <QSize>

#include <memory>

// A current OpenGL context with a colour+depth framebuffer of the given size
// bound, for tests of GL state and of drawing without a window. The context
// keeps the fixed-function pipeline that the code under test uses. Keep one
// alive for the length of a test (or of a suite).
class OffscreenGL
{
public:
    static constexpr int kDefaultSide = 64;  // framebuffer edge in pixels
    static constexpr double kHalfView = 0.6; // half the edge of resetView's square

    explicit OffscreenGL(const QSize &size = QSize(kDefaultSide, kDefaultSide));
    ~OffscreenGL();
    OffscreenGL(const OffscreenGL &) = delete;
    OffscreenGL &operator=(const OffscreenGL &) = delete;

    bool isReady() const { return ready; }
    // Makes this context current again, with its framebuffer bound.
    bool makeCurrent();
    void doneCurrent();
    QSize size() const { return frameSize; }
    // What has been drawn so far, top row first.
    QImage image() const;

    // Clears colour and depth, and sets the viewport and orthographic and
    // identity matrices that map x and y in [-kHalfView, kHalfView] onto the
    // framebuffer: room for the unit shapes centred on the origin.
    void resetView();
    // Framebuffer pixel, in image coordinates, of a point in that view.
    QPoint pixelOf(double x, double y) const;

private:
    QSize frameSize;
    QOffscreenSurface surface;
    QOpenGLContext context;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    bool ready = false;
};
