#include "framehistory.h"

#include <algorithm>

namespace
{

// The tag's pixels along the bottom row, one byte of the frame's number in
// the stencil of each, the lowest first.
constexpr int kTagPixels = 4;
constexpr int kBitsPerByte = 8;
constexpr quint32 kByteMask = 0xffu;

bool windowHasStencil()
{
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    return bits >= kBitsPerByte;
}

void writeTag(quint32 tag)
{
    glEnable(GL_SCISSOR_TEST);
    for (int pixel = 0; pixel < kTagPixels; ++pixel) {
        glScissor(pixel, 0, 1, 1);
        glClearStencil(GLint((tag >> (pixel * kBitsPerByte)) & kByteMask));
        glClear(GL_STENCIL_BUFFER_BIT);
    }
    glClearStencil(0);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<GLuint> readTagPixels(GLenum format, GLenum type)
{
    std::vector<GLuint> pixels(kTagPixels);
    glReadPixels(0, 0, kTagPixels, 1, format, type, pixels.data());
    return pixels;
}

quint32 readTag()
{
    GLubyte bytes[kTagPixels] = {};
    glReadPixels(0, 0, kTagPixels, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, bytes);
    quint32 tag = 0;
    for (int pixel = 0; pixel < kTagPixels; ++pixel)
        tag |= quint32(bytes[pixel]) << (pixel * kBitsPerByte);
    return tag;
}

} // namespace

void FrameHistory::takeScene()
{
    scene = {readTagPixels(GL_RGBA, GL_UNSIGNED_BYTE),
             readTagPixels(GL_DEPTH_COMPONENT, GL_UNSIGNED_INT)};
    sceneKnown = true;
}

void FrameHistory::add(const QRegion &area)
{
    writeTag(nextTag);
    frames.push_front({nextTag, area});
    if (frames.size() > size_t(kTrackedFrames))
        frames.pop_back();
    nextTag = nextTag == ~quint32(0) ? 1 : nextTag + 1;
}

std::optional<QRegion> FrameHistory::drawnSince(int age) const
{
    if (age < 1 || size_t(age) > frames.size())
        return std::nullopt;
    QRegion area;
    for (int frame = 0; frame < age; ++frame)
        area |= frames[size_t(frame)].area;
    return area;
}

int FrameHistory::taggedAge() const
{
    if (frames.empty() || !windowHasStencil())
        return 0;
    const quint32 tag = readTag();
    const auto held = std::find_if(frames.begin(), frames.end(),
                                   [tag](const Frame &frame) { return frame.tag == tag; });
    if (held == frames.end())
        return 0;
    const QRect tagPixels(0, 0, kTagPixels, 1);
    const bool sceneUnderTag = sceneKnown && !held->area.intersects(tagPixels);
    if (sceneUnderTag && !(TagPixels{readTagPixels(GL_RGBA, GL_UNSIGNED_BYTE),
                                     readTagPixels(GL_DEPTH_COMPONENT, GL_UNSIGNED_INT)} == scene))
        return 0;
    return int(held - frames.begin()) + 1;
}
