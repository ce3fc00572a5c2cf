#pragma once

#include <QtGlobal>

// The OpenGL widget the radar view is built on. Qt 5 has QGLWidget, which the
// view uses as it is. Qt 6 has only QOpenGLWidget, which draws into a
// framebuffer object of its own that Qt then composes into the window on every
// frame: under a software renderer that costs as much as the frame itself.
// So on Qt 6 the widget holds a native window of its own, with its own context,
// and draws straight into that window's back buffer as QGLWidget does, with
// QGLWidget's names and its synchronous repaint.
#if QT_VERSION_MAJOR >= 6

#include <QSize>
#include <QWidget>
#include <QtGui/qopengl.h>

#include <memory>

class QImage;
class QOpenGLContext;
class QPixmap;
class QWindow;

class GLWidgetBase : public QWidget
{
public:
    explicit GLWidgetBase(QWidget *parent = nullptr);
    ~GLWidgetBase() override;

    // True once the widget's window exists and its context can be made
    // current there.
    bool isValid() const;
    void makeCurrent();

    // Makes the context current, draws the frame and shows it before
    // returning, as QGLWidget::updateGL does. Does nothing while the widget is
    // not on screen.
    virtual void updateGL();
    void swapBuffers();
    // Off, a frame stays in the back buffer after updateGL until swapBuffers.
    void setAutoBufferSwap(bool on) { autoSwap = on; }
    bool autoBufferSwap() const { return autoSwap; }

    // The back buffer's pixels, as QGLWidget::grabFrameBuffer gives them.
    QImage grabFrameBuffer();

    // The texture QGLWidget::bindTexture makes of a pixmap with its default
    // options: see uploadTexture.
    GLuint bindTexture(const QPixmap &pixmap, GLenum target, GLint format);

protected:
    // As QGLWidget calls them: initializeGL once per context before anything
    // else, resizeGL with the size in device pixels whenever it changed, then
    // paintGL; the context is current in each.
    virtual void initializeGL() {}
    virtual void resizeGL(int, int) {}
    virtual void paintGL() {}

    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void glDraw();
    QSize deviceSize() const;
    void showWidgetCursor();
    void exposeWithTopLevel();

    QWindow *surface;   // owned by container, which embeds it in this widget
    QWidget *container; // child widget
    std::unique_ptr<QOpenGLContext> context;
    bool initialized = false;
    QSize resizedTo; // device pixels, as resizeGL was last given them
    bool autoSwap = true;
    bool shownAgain = false; // see exposeWithTopLevel
};

#else

#include <QGLWidget>

using GLWidgetBase = QGLWidget;

#endif
