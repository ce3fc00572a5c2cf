#include "swapchain.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

namespace
{

// What a buffer holds before it is drawn: a colour no frame has, a depth in
// front of most of the scene, and stencil bytes no tag of a recent frame has.
constexpr GLfloat kGarbageColour[4] = {1.0f, 0.0f, 1.0f, 1.0f};
constexpr GLdouble kGarbageDepth = 0.25;
constexpr GLint kGarbageStencil = 0x77;

void bindFramebuffer(GLuint framebuffer)
{
    QOpenGLContext::currentContext()->functions()->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

} // namespace

SwapChain::SwapChain() = default;

SwapChain::~SwapChain() = default;

void SwapChain::resize(int length, QSize size)
{
    const bool sameSize = !ring.empty() && ring.front().target->size() == size;
    if (!sameSize)
        ring.clear();
    while (ring.size() > size_t(length))
        ring.pop_back();
    while (ring.size() < size_t(length)) {
        ring.push_back({std::make_unique<QOpenGLFramebufferObject>(
                            size, QOpenGLFramebufferObject::CombinedDepthStencil),
                        -1});
        back = ring.size() - 1;
        bindBack();
        fillWithGarbage(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    back = size_t(swaps) % ring.size();
    bindFramebuffer(0);
}

void SwapChain::bindBack()
{
    bindFramebuffer(ring[back].target->handle());
}

void SwapChain::swap()
{
    ring[back].drawnAtSwap = ++swaps;
    back = (back + 1) % ring.size();
}

int SwapChain::backAge() const
{
    const int drawnAt = ring[back].drawnAtSwap;
    return drawnAt < 0 ? 0 : swaps - drawnAt + 1;
}

void SwapChain::loseBackPixels()
{
    bindBack();
    fillWithGarbage(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    bindFramebuffer(0);
    ring[back].drawnAtSwap = -1;
}

QImage SwapChain::shown() const
{
    const QOpenGLFramebufferObject &front = *ring[(back + ring.size() - 1) % ring.size()].target;
    QImage frame(front.size(), QImage::Format_RGBA8888);
    bindFramebuffer(front.handle());
    glReadPixels(0, 0, frame.width(), frame.height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
    bindFramebuffer(0);
    return frame;
}

void SwapChain::fillWithGarbage(GLbitfield buffers)
{
    glClearColor(kGarbageColour[0], kGarbageColour[1], kGarbageColour[2], kGarbageColour[3]);
    glClearDepth(kGarbageDepth);
    glClearStencil(kGarbageStencil);
    glClear(buffers);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
}
