#pragma once

#include <QImage>
#include <QSize>
#include <QtGui/qopengl.h>

#include <memory>
#include <vector>

class QOpenGLFramebufferObject;

// A window's buffers as a window system may hand them out, made of
// framebuffer objects of the current context: a ring of one buffer (kept
// across swaps), two or three (flipped: after a swap, the back buffer holds
// the frame shown two or three swaps ago). A buffer that has not been drawn
// yet, or has lost its contents, holds garbage in colour, depth and stencil.
// Every call needs the context current.
class SwapChain
{
public:
    SwapChain();
    ~SwapChain();
    SwapChain(const SwapChain &) = delete;
    SwapChain &operator=(const SwapChain &) = delete;

    // length buffers of size (device pixels). The buffers already there keep
    // their contents where the size stays; new ones hold garbage.
    void resize(int length, QSize size);
    int length() const { return int(ring.size()); }

    // Binds the back buffer as the framebuffer to draw into.
    void bindBack();
    // Shows the back buffer; the next one in the ring becomes the back buffer.
    void swap();

    // As EGL_EXT_buffer_age has it: 1 when the back buffer holds the frame
    // shown last, n when the one shown n - 1 swaps before it, 0 when garbage.
    int backAge() const;

    // The back buffer's colour and depth are lost (as an expose may lose
    // them); its stencil stays. Its age becomes 0, as a window system that
    // reports ages reports a buffer whose contents it lost.
    void loseBackPixels();

    // The frame shown last, bottom row first, RGBA bytes.
    QImage shown() const;

private:
    struct Buffer {
        std::unique_ptr<QOpenGLFramebufferObject> target;
        int drawnAtSwap; // the swap that showed its contents; -1: garbage
    };

    void fillWithGarbage(GLbitfield buffers);

    std::vector<Buffer> ring;
    size_t back = 0;
    int swaps = 0;
};
