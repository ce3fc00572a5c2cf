#include "scenecache.h"

#include "clientmessage.h"
#include "copyareas.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#include <algorithm>

namespace
{

// Two different fillings of a pixel that glReadPixels is asked for.
constexpr GLuint kUnreadA = 0x5a5a5a5au;
constexpr GLuint kUnreadB = 0xa5a5a5a5u;

const GLbitfield kColour = GL_COLOR_BUFFER_BIT;
// Depth and stencil travel together: a window's depth buffer is usually
// packed with its stencil, and drivers copy the pair as it is stored, where
// depth alone may go through a slower path that rounds.
const GLbitfield kDepth = GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;

// What a copy costs before its first pixel, in pixels copied: under a
// software renderer each copy flushes its queue and waits for its threads,
// about 0.1 ms, the time to copy some 65 000 pixels' colour and depth. A frame
// that drew zone outlines, their numbers, the sweep and the markers restores
// as one or two rectangles, not eight.
constexpr qint64 kCopyCostPixels = 65536;

} // namespace

std::unique_ptr<SceneCache> SceneCache::create()
{
    if (!QOpenGLFramebufferObject::hasOpenGLFramebufferObjects() ||
        !QOpenGLFramebufferObject::hasOpenGLFramebufferBlit()) {
        printClientMessage(QStringLiteral("this OpenGL has no framebuffer objects with blits;"
                                          " the whole scene is drawn every frame"));
        return nullptr;
    }
    return std::unique_ptr<SceneCache>(new SceneCache);
}

SceneCache::SceneCache()
    : gl(QOpenGLContext::currentContext()->extraFunctions()),
      colourOrientation(Orientation::kUpright), depthOrientation(Orientation::kUpright)
{
}

SceneCache::~SceneCache() = default;

bool SceneCache::store(const QSize &size)
{
    storedSize = QSize();
    if (windowIsMultisampled()) {
        // A multisampled buffer cannot be the target of a copy.
        printClientMessage(
            QStringLiteral("the window is multisampled; the whole scene is drawn every frame"));
        return false;
    }
    if (!windowHasSize(size))
        return true;
    if (!buffer || buffer->size() != size)
        buffer = std::make_unique<QOpenGLFramebufferObject>(
            size, QOpenGLFramebufferObject::CombinedDepthStencil);
    const bool exact = buffer->isValid() && findExactRoundTrip();
    bindWindow();
    if (!exact) {
        buffer.reset();
        printClientMessage(QStringLiteral("copies between the window and a framebuffer object are"
                                          " not exact here; the whole scene is drawn every frame"));
        return false;
    }
    keepBackdrop();
    storedSize = size;
    history.takeScene();
    return true;
}

// A copy of the kept colour, in the same orientation, from which areas are
// drawn anew.
void SceneCache::keepBackdrop()
{
    if (!backdrop || backdrop->size() != buffer->size())
        backdrop = std::make_unique<QOpenGLFramebufferObject>(buffer->size());
    const GLint width = buffer->width();
    const GLint height = buffer->height();
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, buffer->handle());
    gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, backdrop->handle());
    gl->glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, kColour, GL_NEAREST);
    bindWindow();
}

void SceneCache::beginFrame()
{
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    window = GLuint(bound);
}

void SceneCache::restore(bool exposed, std::optional<int> reportedAge)
{
    const QRect whole(QPoint(0, 0), storedSize);
    const int age = exposed ? 0 : backBufferAge(reportedAge);
    const QRegion parts = history.drawnSince(age).value_or(QRegion(whole)).intersected(whole);
    for (const QRect &part : copyAreas(parts, kCopyCostPixels)) {
        copyBack(part, kColour, colourOrientation);
        copyBack(part, kDepth, depthOrientation);
    }
    bindWindow();
}

// A window system may answer 0 for every buffer, kept or not, so an age of 0
// is taken at its word only from one that has shown it reports real ages;
// until then the tags tell.
int SceneCache::backBufferAge(std::optional<int> reportedAge)
{
    reportsAge = reportsAge || (reportedAge && *reportedAge > 0);
    if (reportedAge && reportsAge)
        return *reportedAge;
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, window);
    return history.taggedAge();
}

void SceneCache::redraw(const QRect &area, const std::function<void()> &draw)
{
    const QRect inside = area.intersected(QRect(QPoint(0, 0), storedSize));
    if (inside.isEmpty())
        return;
    copyBack(inside, kColour, colourOrientation, *backdrop);
    bindWindow();
    draw();
    copyAreaIn(inside);
    bindWindow();
    redrawn |= inside;
}

void SceneCache::finishFrame(const QRegion &drawn)
{
    bindWindow();
    history.add(drawn | redrawn);
    redrawn = QRegion();
}

bool SceneCache::windowIsMultisampled()
{
    bindWindow();
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    return sampleBuffers > 0;
}

// The window's buffers have exactly this size when the top right pixel of that
// size can be read and the pixels beyond it, above and to the right, cannot.
bool SceneCache::windowHasSize(const QSize &size)
{
    bindWindow();
    const GLint right = size.width() - 1;
    const GLint top = size.height() - 1;
    return isReadable(right, top) && !isReadable(right + 1, top) && !isReadable(right, top + 1);
}

// glReadPixels leaves the destination alone for a pixel outside the buffers:
// a pixel read over two different fillings is inside when both reads agree.
bool SceneCache::isReadable(GLint x, GLint y)
{
    GLuint first = kUnreadA;
    GLuint second = kUnreadB;
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &first);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &second);
    return first == second;
}

// Finds, for colour and for depth, an orientation in which the copy into the
// cache keeps every value, then checks that copying back in that orientation
// gives the window exactly what it holds now.
bool SceneCache::findExactRoundTrip()
{
    const std::vector<GLuint> colour = read(window, kColour);
    const std::vector<GLuint> depth = read(window, kDepth);
    if (!findUnchangedCopy(kColour, colour, &colourOrientation) ||
        !findUnchangedCopy(kDepth, depth, &depthOrientation))
        return false;
    copyBack(QRect(QPoint(0, 0), buffer->size()), kColour, colourOrientation);
    copyBack(QRect(QPoint(0, 0), buffer->size()), kDepth, depthOrientation);
    return read(window, kColour) == colour && read(window, kDepth) == depth;
}

// A copy may land upside down: a driver that stores window buffers top row
// first can copy them unchanged only into a flipped rectangle, and then reads
// the cache back mirrored. Either is fine as long as the way back mirrors
// again; a copy that changes values (a conversion that rounds) is not.
bool SceneCache::findUnchangedCopy(GLbitfield buffers, const std::vector<GLuint> &inWindow,
                                   Orientation *orientation)
{
    for (const Orientation candidate : {Orientation::kUpright, Orientation::kFlipped}) {
        copyIn(buffers, candidate);
        const std::vector<GLuint> copied = read(buffer->handle(), buffers);
        if (copied == inWindow || isMirrored(copied, inWindow)) {
            *orientation = candidate;
            return true;
        }
    }
    return false;
}

bool SceneCache::isMirrored(const std::vector<GLuint> &a, const std::vector<GLuint> &b) const
{
    const size_t width = size_t(buffer->width());
    const size_t height = size_t(buffer->height());
    for (size_t row = 0; row < height; ++row) {
        const auto mirroredRow = b.begin() + (height - 1 - row) * width;
        if (!std::equal(mirroredRow, mirroredRow + width, a.begin() + row * width))
            return false;
    }
    return true;
}

// The whole window into the cache.
void SceneCache::copyIn(GLbitfield buffers, Orientation orientation)
{
    const GLint width = buffer->width();
    const GLint height = buffer->height();
    const bool flipped = orientation == Orientation::kFlipped;
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, window);
    gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, buffer->handle());
    gl->glBlitFramebuffer(0, flipped ? height : 0, width, flipped ? 0 : height, 0, 0, width, height,
                          buffers, GL_NEAREST);
}

// area of the window into the cache, in the orientation of its colour.
void SceneCache::copyAreaIn(const QRect &area)
{
    copyArea(area, kColour, colourOrientation, *buffer, Direction::kIntoCache);
}

// From the cache (or from, in the cache's orientation) into area of the
// window.
void SceneCache::copyBack(const QRect &area, GLbitfield buffers, Orientation orientation)
{
    copyBack(area, buffers, orientation, *buffer);
}

void SceneCache::copyBack(const QRect &area, GLbitfield buffers, Orientation orientation,
                          const QOpenGLFramebufferObject &from)
{
    copyArea(area, buffers, orientation, from, Direction::kIntoWindow);
}

// area in window coordinates, between the window and cache (a framebuffer
// object in the cache's orientation): a flipped copy has the cache's rows in
// the mirrored place.
void SceneCache::copyArea(const QRect &area, GLbitfield buffers, Orientation orientation,
                          const QOpenGLFramebufferObject &cache, Direction direction)
{
    const GLint height = buffer->height();
    const GLint left = area.left();
    const GLint right = area.right() + 1;
    const GLint bottom = area.top();
    const GLint top = area.bottom() + 1;
    const bool flipped = orientation == Orientation::kFlipped;
    const GLint cacheBottom = flipped ? height - bottom : bottom;
    const GLint cacheTop = flipped ? height - top : top;
    if (direction == Direction::kIntoWindow) {
        gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, cache.handle());
        gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, window);
        gl->glBlitFramebuffer(left, cacheBottom, right, cacheTop, left, bottom, right, top, buffers,
                              GL_NEAREST);
    } else {
        gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, window);
        gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, cache.handle());
        gl->glBlitFramebuffer(left, bottom, right, top, left, cacheBottom, right, cacheTop, buffers,
                              GL_NEAREST);
    }
}

// The buffers' contents as glReadPixels gives them, bottom row first: colour
// as RGBA bytes, depth as unsigned integers, one word per pixel either way.
std::vector<GLuint> SceneCache::read(GLuint framebuffer, GLbitfield buffers)
{
    const bool colour = buffers == kColour;
    std::vector<GLuint> pixels(size_t(buffer->width()) * size_t(buffer->height()));
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, buffer->width(), buffer->height(), colour ? GL_RGBA : GL_DEPTH_COMPONENT,
                 colour ? GL_UNSIGNED_BYTE : GL_UNSIGNED_INT, pixels.data());
    return pixels;
}

void SceneCache::bindWindow()
{
    gl->glBindFramebuffer(GL_FRAMEBUFFER, window);
}
