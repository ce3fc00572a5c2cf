#include "offscreengl.h"

#include <GL/gl.h>

namespace
{
// Depth range of the orthographic view, wide enough for the unit shapes.
constexpr double kViewDepth = 10.0;
} // namespace

OffscreenGL::OffscreenGL(const QSize &size) : frameSize(size)
{
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    surface.setFormat(format);
    surface.create();
    context.setFormat(format);
    if (!context.create() || !context.makeCurrent(&surface))
        return;
    framebuffer = std::make_unique<QOpenGLFramebufferObject>(
        size, QOpenGLFramebufferObject::CombinedDepthStencil);
    ready = framebuffer->isValid() && framebuffer->bind();
    if (ready)
        glViewport(0, 0, size.width(), size.height());
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

void OffscreenGL::doneCurrent()
{
    context.doneCurrent();
}

QImage OffscreenGL::image() const
{
    return framebuffer->toImage();
}

void OffscreenGL::resetView()
{
    glViewport(0, 0, frameSize.width(), frameSize.height());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kHalfView, kHalfView, -kHalfView, kHalfView, -kViewDepth, kViewDepth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

QPoint OffscreenGL::pixelOf(double x, double y) const
{
    const double xScale = frameSize.width() / (2.0 * kHalfView);
    const double yScale = frameSize.height() / (2.0 * kHalfView);
    return QPoint(static_cast<int>((x + kHalfView) * xScale),
                  static_cast<int>((kHalfView - y) * yScale));
}
