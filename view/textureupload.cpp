#include "textureupload.h"

#include <QImage>
#include <QPixmap>

GLuint uploadTexture(const QPixmap &pixmap, GLenum target, GLint internalFormat)
{
    // A pixmap holds its pixels premultiplied; the texture gets them back
    // divided by alpha, as 32-bit ARGB words, whose bytes in memory are blue,
    // green, red and alpha on the little-endian machines this runs on.
    const QImage image = pixmap.toImage()
                             .convertToFormat(pixmap.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                       : QImage::Format_RGB32)
                             .mirrored();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(target, name);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glHint(GL_GENERATE_MIPMAP_HINT, GL_NICEST);
    glTexParameteri(target, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexImage2D(target, 0, internalFormat, image.width(), image.height(), 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, image.constBits());
    return name;
}
