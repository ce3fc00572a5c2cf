#include "offscreengl.h"

#include <GL/gl.h>

namespace
{
const double HalfView = 0.6;
}

OffscreenGL::OffscreenGL()
{
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface))
        return;
    framebuffer = std::make_unique<QOpenGLFramebufferObject>(
        Size, Size, QOpenGLFramebufferObject::CombinedDepthStencil);
    ready = framebuffer->isValid() && framebuffer->bind();
    if (ready)
        glViewport(0, 0, Size, Size);
}

OffscreenGL::~OffscreenGL()
{
    if (context.makeCurrent(&surface))
        framebuffer.reset();
    context.doneCurrent();
}

bool OffscreenGL::makeCurrent()
{
    return ready && context.makeCurrent(&surface) && framebuffer->bind();
}

QImage OffscreenGL::image() const
{
    return framebuffer->toImage();
}

void OffscreenGL::resetView()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-HalfView, HalfView, -HalfView, HalfView, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

QPoint pixelOf(double x, double y)
{
    const double scale = OffscreenGL::Size / (2.0 * HalfView);
    return QPoint(static_cast<int>((x + HalfView) * scale),
                  static_cast<int>((HalfView - y) * scale));
}
