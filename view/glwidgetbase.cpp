#include "glwidgetbase.h"

#if QT_VERSION_MAJOR >= 6

#include "textureupload.h"
#include "windowsurface.h"

#include <QGuiApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>

namespace
{

// What QGLWidget asks for unless told otherwise: a depth buffer of 24 bits
// with a stencil of 8, stored together, so that the scene cache can copy
// them as one, and no alpha channel, since the view is opaque. (Qt's Wayland
// platform gives one all the same; the view then keeps it at 1.)
constexpr int kDepthBits = 24;
constexpr int kStencilBits = 8;
constexpr int kAlphaBits = 0;

QSurfaceFormat windowFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    if (format.depthBufferSize() < 0)
        format.setDepthBufferSize(kDepthBits);
    if (format.stencilBufferSize() < 0)
        format.setStencilBufferSize(kStencilBits);
    if (format.alphaBufferSize() < 0)
        format.setAlphaBufferSize(kAlphaBits);
    return format;
}

bool isKeyEvent(const QEvent *event)
{
    return event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
}

bool isOnWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
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

void GLWidgetBase::showEvent(QShowEvent *event)
{
    showWidgetCursor();
    if (QWindow *topLevel = window()->windowHandle())
        topLevel->installEventFilter(this);
    QWidget::showEvent(event);
}

bool GLWidgetBase::event(QEvent *event)
{
    if (event->type() == QEvent::CursorChange)
        showWidgetCursor();
    return QWidget::event(event);
}

// The window is drawn whenever the window system shows more of it, shows the
// widget's cursor, and the keys pressed in it go to this widget and its
// parents, as if it had none.
bool GLWidgetBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == surface) {
        if (event->type() == QEvent::Expose && surface->isExposed())
            glDraw();
        if (event->type() == QEvent::Enter)
            showWidgetCursor();
        if (isKeyEvent(event)) {
            QCoreApplication::sendEvent(this, event);
            return true;
        }
    } else if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
        exposeWithTopLevel();
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

// Under X11 a window without a cursor of its own shows its parent's. On
// Wayland every surface shows its own, and the arrow unless told otherwise:
// so the window is given the widget's cursor, which the widget takes from its
// parents (the main window hides it).
void GLWidgetBase::showWidgetCursor()
{
    surface->setCursor(cursor());
}

// Qt's Wayland platform tells a window inside another that it can be drawn
// only when the top level is configured a second time, as when it is
// activated. A compositor that never activates it (one with no keyboard or
// pointer, as a wall screen may have) would leave the view blank; showing the
// window again once the top level can be drawn makes the platform say so. Once:
// showing it again exposes the top level again, before the window itself.
void GLWidgetBase::exposeWithTopLevel()
{
    if (shownAgain || !isOnWayland() || !surface->isVisible() || surface->isExposed())
        return;
    shownAgain = true;
    surface->hide();
    surface->show();
}

#endif
