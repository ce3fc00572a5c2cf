#include "glview.h"

#include "windowsurface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QScreen>
#include <QWindow>

#include <functional>

#if QT_VERSION_MAJOR >= 6
#include <QSurfaceFormat>
#else
#include <QGLFormat>
#endif

namespace
{

constexpr int kExposeTimeoutMs = 5000;
constexpr int kEventSliceMs = 50;
#if QT_VERSION_MAJOR >= 6
constexpr int kSamples = 4;
#endif

bool isReady(GLWidgetBase &view, QSize size)
{
    return view.isValid() && view.windowHandle() && view.windowHandle()->isExposed() &&
           (size.isEmpty() || view.size() == size);
}

bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kExposeTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kEventSliceMs);
    return done();
}

bool waitUntilReady(GLWidgetBase &view, QSize size)
{
    return waitFor([&] { return isReady(view, size); });
}

} // namespace

namespace glview
{

bool showAt(GLWidgetBase &view, QSize size)
{
    view.resize(size);
    view.show();
    return waitUntilReady(view, size);
}

bool showFullScreen(GLWidgetBase &view)
{
    // Without a window manager the full-screen request alone would leave the
    // window at its default size.
    view.setGeometry(view.screen()->geometry());
    view.showFullScreen();
    return waitUntilReady(view, QSize());
}

bool exposeAgain(GLWidgetBase &view)
{
    const QSize size = view.size();
    view.hide();
    return waitFor([&] { return !view.windowHandle()->isExposed(); }) && showAt(view, size);
}

bool isMultisampled(GLWidgetBase &view)
{
    view.makeCurrent();
    QOpenGLContext::currentContext()->functions()->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    return sampleBuffers > 0;
}

#if QT_VERSION_MAJOR >= 6

QImage grabFrameBuffer(GLWidgetBase &view)
{
    return view.grabFrameBuffer();
}

struct MultisampledViews::Saved {
    QSurfaceFormat format;
};

MultisampledViews::MultisampledViews() : saved(new Saved{QSurfaceFormat::defaultFormat()})
{
    QSurfaceFormat multisampled = saved->format;
    multisampled.setSamples(kSamples);
    QSurfaceFormat::setDefaultFormat(multisampled);
}

MultisampledViews::~MultisampledViews()
{
    QSurfaceFormat::setDefaultFormat(saved->format);
}

#else

QImage grabFrameBuffer(GLWidgetBase &view)
{
    view.makeCurrent();
    const double scale = view.devicePixelRatioF();
    const QSize size = surfaceDeviceSize(view.size(), scale);
    if (size == QSize(int(view.width() * scale), int(view.height() * scale)))
        return view.grabFrameBuffer();
    QImage frame(size, QImage::Format_RGBA8888);
    glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
    // OpenGL gives the bottom row first.
    return frame.mirrored().convertToFormat(QImage::Format_RGB32);
}

struct MultisampledViews::Saved {
    QGLFormat format;
};

MultisampledViews::MultisampledViews() : saved(new Saved{QGLFormat::defaultFormat()})
{
    QGLFormat multisampled = saved->format;
    multisampled.setSampleBuffers(true);
    QGLFormat::setDefaultFormat(multisampled);
}

MultisampledViews::~MultisampledViews()
{
    QGLFormat::setDefaultFormat(saved->format);
}

#endif

} // namespace glview
