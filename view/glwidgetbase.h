#pragma once

#include <QtGlobal>

// The OpenGL widget the radar view is built on. Qt 5 has QGLWidget, which the
// view uses as it is. Qt 6 has only QOpenGLWidget, which draws into a
// framebuffer object of its own and has neither a synchronous repaint nor a
// texture upload; they are added here, with QGLWidget's names, so that the
// view reads the same on both.
#if QT_VERSION_MAJOR >= 6

#include <QOpenGLWidget>

class QImage;
class QPixmap;

class GLWidgetBase : public QOpenGLWidget
{
public:
    explicit GLWidgetBase(QWidget *parent = nullptr);

    // Makes the context current, draws the frame and shows it before
    // returning, as QGLWidget::updateGL does.
    void updateGL();

    // The frame as drawn, as QGLWidget::grabFrameBuffer gives it.
    QImage grabFrameBuffer();

    // The texture QGLWidget::bindTexture makes of a pixmap with its default
    // options: see uploadTexture.
    GLuint bindTexture(const QPixmap &pixmap, GLenum target, GLint format);
};

// The framebuffer the widget draws into: its own framebuffer object, also
// outside paintGL, where the context no longer redirects to it.
inline GLuint widgetFramebuffer(const GLWidgetBase &widget)
{
    return widget.defaultFramebufferObject();
}

#else

#include <QGLWidget>

using GLWidgetBase = QGLWidget;

// The framebuffer the widget draws into: the window's own.
inline GLuint widgetFramebuffer(const GLWidgetBase &)
{
    return 0;
}

#endif
