#include "glwidgetbase.h"

#if QT_VERSION_MAJOR >= 6

#include "textureupload.h"

#include <QImage>
#include <QPixmap>

GLWidgetBase::GLWidgetBase(QWidget *parent) : QOpenGLWidget(parent) {}

void GLWidgetBase::updateGL()
{
    repaint();
}

QImage GLWidgetBase::grabFrameBuffer()
{
    return grabFramebuffer();
}

GLuint GLWidgetBase::bindTexture(const QPixmap &pixmap, GLenum target, GLint format)
{
    return uploadTexture(pixmap, target, format);
}

#endif
