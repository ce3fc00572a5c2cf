#pragma once

#include <QtGui/qopengl.h>

class QPixmap;

// Uploads a pixmap as a new texture exactly as QGLWidget::bindTexture does
// with its default options, so that both toolkits draw the same texels: the
// pixmap's image, not premultiplied by alpha, bottom row first, as the
// internal format asked for; linear filtering between levels of mipmaps that
// OpenGL generates itself (GL_GENERATE_MIPMAP, nicest). Needs a current
// context; leaves the texture bound to target and returns its name. The
// texture belongs to the context.
GLuint uploadTexture(const QPixmap &pixmap, GLenum target, GLint internalFormat);
