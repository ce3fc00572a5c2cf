#pragma once

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <memory>

// A current OpenGL context with a small colour+depth framebuffer bound, for
// tests of GL state and of drawing without a window. Keep one alive for the
// length of a test.
class OffscreenGL
{
public:
    static constexpr int Size = 64; // framebuffer edge in pixels

    OffscreenGL();
    ~OffscreenGL();

    bool isReady() const { return ready; }
    // Makes this context current again, with its framebuffer bound.
    bool makeCurrent();
    // What has been drawn so far, top row first.
    QImage image() const;
    // Clears colour and depth, and sets orthographic and identity matrices that
    // map x and y in [-0.6, 0.6] onto the framebuffer.
    void resetView();

private:
    QOffscreenSurface surface;
    QOpenGLContext context;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    bool ready = false;
};

// Framebuffer pixel of a point in the view set by resetView (x, y in
// [-0.6, 0.6]), in image coordinates.
QPoint pixelOf(double x, double y);
