#include "glwidgetbase.h"

#if QT_VERSION_MAJOR >= 6

#include "textureupload.h"
#include "windowsurface.h"

#include <QCoreApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>

namespace
{

// What QGLWidget asks for unless told otherwise: a depth buffer of 24 bits
// with a stencil of 8, stored together, so that the scene cache can copy
// them as one.
constexpr int kDepthBits = 24;
constexpr int kStencilBits = 8;

QSurfaceFormat windowFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    if (format.depthBufferSize() < 0)
        format.setDepthBufferSize(kDepthBits);
    if (format.stencilBufferSize() < 0)
        format.setStencilBufferSize(kStencilBits);
    return format;
}

bool isKeyEvent(const QEvent *event)
{
    return event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
}

} // namespace

GLWidgetBase::GLWidgetBase(QWidget *parent)
    : QWidget(parent), surface(new QWindow), context(new QOpenGLContext)
{
    surface->setSurfaceType(QSurface::OpenGLSurface);
    surface->setFormat(windowFormat());
    surface->installEventFilter(this);
    container = QWidget::createWindowContainer(surface, this);
    context->setFormat(surface->requestedFormat());
    context->create();
}

// The context goes first, with the members; the window goes after it, with
// the child widgets.
GLWidgetBase::~GLWidgetBase() = default;

bool GLWidgetBase::isValid() const
{
    return context->isValid() && surface->handle() != nullptr;
}

void GLWidgetBase::makeCurrent()
{
    if (isValid())
        context->makeCurrent(surface);
}

void GLWidgetBase::updateGL()
{
    if (updatesEnabled() && surface->isExposed())
        glDraw();
}

void GLWidgetBase::swapBuffers()
{
    if (surface->isExposed())
        context->swapBuffers(surface);
}

QImage GLWidgetBase::grabFrameBuffer()
{
    makeCurrent();
    const QSize size = deviceSize();
    QImage frame(size, QImage::Format_RGBA8888);
    glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
    // OpenGL gives the bottom row first.
    return frame.mirrored().convertToFormat(QImage::Format_RGB32);
}

GLuint GLWidgetBase::bindTexture(const QPixmap &pixmap, GLenum target, GLint format)
{
    return uploadTexture(pixmap, target, format);
}

void GLWidgetBase::resizeEvent(QResizeEvent *event)
{
    container->setGeometry(rect());
    QWidget::resizeEvent(event);
}

// The window is drawn whenever the window system shows more of it, and the
// keys pressed in it go to this widget and its parents, as if it had none.
bool GLWidgetBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == surface) {
        if (event->type() == QEvent::Expose && surface->isExposed())
            glDraw();
        if (isKeyEvent(event)) {
            QCoreApplication::sendEvent(this, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GLWidgetBase::glDraw()
{
    // A window on its way out may refuse the context; no frame is drawn then,
    // since every OpenGL call would go nowhere or to another context.
    if (!isValid() || !context->makeCurrent(surface))
        return;
    if (!initialized) {
        initializeGL();
        initialized = true;
    }
    const QSize size = deviceSize();
    if (size != resizedTo) {
        resizedTo = size;
        resizeGL(size.width(), size.height());
    }
    paintGL();
    if (autoSwap)
        swapBuffers();
}

QSize GLWidgetBase::deviceSize() const
{
    return surfaceDeviceSize(surface->size(), surface->devicePixelRatio());
}

#endif
