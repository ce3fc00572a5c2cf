#include "windowalpha.h"

#include <QtGui/qopengl.h>

namespace
{

constexpr GLfloat kOpaque = 1.0f;

} // namespace

WindowAlpha WindowAlpha::ofBoundFramebuffer()
{
    GLint bits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &bits);
    return WindowAlpha(bits > 0);
}

// A clear that writes alpha alone, per rectangle: under a software renderer
// its cost follows the pixels it covers, a whole 1280 x 1024 window taking
// about 4 ms, so an ordinary frame covers only what it drew.
void WindowAlpha::makeOpaque(const QRegion &area) const
{
    if (!present || area.isEmpty())
        return;
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, kOpaque);
    for (const QRect &rect : area) {
        glScissor(rect.x(), rect.y(), rect.width(), rect.height());
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glPopAttrib();
}
