#include "windowsurface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>

#include <cmath>
#include <cstring>

namespace
{

// Whether the space-separated list of extension names holds name.
bool listsExtension(const char *extensions, const char *name)
{
    const size_t length = std::strlen(name);
    for (const char *at = extensions; at != nullptr && (at = std::strstr(at, name)) != nullptr;
         at += length) {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

std::optional<int> eglBackBufferAge()
{
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (display == EGL_NO_DISPLAY || surface == EGL_NO_SURFACE ||
        !listsExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_EXT_buffer_age"))
        return std::nullopt;
    EGLint age = 0;
    if (eglQuerySurface(display, surface, EGL_BUFFER_AGE_EXT, &age) != EGL_TRUE)
        return std::nullopt;
    return int(age);
}

std::optional<QSize> eglSurfaceSize()
{
    EGLint width = 0;
    EGLint height = 0;
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (eglQuerySurface(display, surface, EGL_WIDTH, &width) != EGL_TRUE ||
        eglQuerySurface(display, surface, EGL_HEIGHT, &height) != EGL_TRUE)
        return std::nullopt;
    return QSize(width, height);
}

std::optional<QSize> glxSurfaceSize()
{
    Display *display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (display == nullptr || drawable == 0)
        return std::nullopt;
    unsigned int width = 0;
    unsigned int height = 0;
    glXQueryDrawable(display, drawable, GLX_WIDTH, &width);
    glXQueryDrawable(display, drawable, GLX_HEIGHT, &height);
    return QSize(int(width), int(height));
}

std::optional<QSize> reportedSurfaceSize()
{
    if (eglGetCurrentContext() != EGL_NO_CONTEXT)
        return eglSurfaceSize();
    if (glXGetCurrentContext() != nullptr)
        return glxSurfaceSize();
    return std::nullopt;
}

std::optional<int> glxBackBufferAge()
{
    Display *display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    int screen = 0;
    if (display == nullptr || drawable == 0 ||
        glXQueryContext(display, glXGetCurrentContext(), GLX_SCREEN, &screen) != Success ||
        !listsExtension(glXQueryExtensionsString(display, screen), "GLX_EXT_buffer_age"))
        return std::nullopt;
    unsigned int age = 0;
    glXQueryDrawable(display, drawable, GLX_BACK_BUFFER_AGE_EXT, &age);
    return int(age);
}

} // namespace

std::optional<int> reportedBackBufferAge()
{
    if (eglGetCurrentContext() != EGL_NO_CONTEXT)
        return eglBackBufferAge();
    if (glXGetCurrentContext() != nullptr)
        return glxBackBufferAge();
    return std::nullopt;
}

QSize surfaceDeviceSize(QSize logicalSize, double scale)
{
    const QSizeF exact = QSizeF(logicalSize) * scale;
    if (isWholeDeviceSize(logicalSize, scale))
        return exact.toSize();
    return reportedSurfaceSize().value_or(exact.toSize());
}

bool isWholeDeviceSize(QSize logicalSize, double scale)
{
    const QSizeF exact = QSizeF(logicalSize) * scale;
    return exact.width() == std::floor(exact.width()) &&
           exact.height() == std::floor(exact.height());
}
