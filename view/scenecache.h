#pragma once

#include "framehistory.h"

#include <QRect>
#include <QRegion>
#include <QSize>
#include <QtGui/qopengl.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QOpenGLExtraFunctions;
class QOpenGLFramebufferObject;

// A copy of the colour and depth of the part of the radar view's frame that
// never changes (the station and the screen, under a fixed camera), so that a
// frame restores it with two buffer copies instead of rasterising it again.
// Under a software renderer that part is most of a frame's work.
//
// The copy must come back exact, or the sweep and the markers drawn over it
// would not be the pixels of a frame drawn whole. Drivers differ in how they
// copy depth between a window and a framebuffer object (some store window
// buffers upside down), so store() chooses the orientation of each copy by
// checking a round trip, and gives up when neither orientation is exact.
//
// Every call needs the owning context current, and the "window" is the
// framebuffer the view draws into: the one bound when the frame began (the
// window's own, framebuffer 0, unless a test shows the view's frames through
// framebuffer objects of its own).
//
// Checking the window's size reads pixels back, which makes a GPU drain its
// whole pipeline, so it is done only while storing: after a resize, in the
// first frames after showing (when the window system may not have resized the
// buffers yet) and with a new context. A frame that restores reads back only
// the few pixels of its back buffer's tag, and only where the window system
// reports no age for the buffer.
class SceneCache
{
public:
    // The cache of the current context; null, after saying why on standard
    // error, when this context has no framebuffer objects or blits to keep
    // the scene with.
    static std::unique_ptr<SceneCache> create();
    ~SceneCache();
    SceneCache(const SceneCache &) = delete;
    SceneCache &operator=(const SceneCache &) = delete;

    // True when it holds the scene drawn at this size (in device pixels).
    bool holds(const QSize &size) const { return buffer && storedSize == size; }

    // Drops what it holds, so that the next store checks the window's size
    // again: the window's buffers may change size after a resize.
    void forget()
    {
        storedSize = QSize();
        history.clear();
    }

    // Takes the framebuffer bound now as the window for this frame.
    void beginFrame();

    // Takes the window's colour and depth as the scene drawn at size. Returns
    // false, after saying why on standard error, when the copies cannot be
    // made exact here (a multisampled window, copies that change values): the
    // cache is then useless, and the window's buffers may have been
    // overwritten by the check. A window whose buffers do not have that size yet (the window
    // system resizes them a little later than it reports the new size) is
    // left alone, and the next call tries again.
    bool store(const QSize &size);

    // Puts the stored scene back into the window's colour and depth buffers
    // where the frame that the back buffer holds, and every frame since,
    // drew over it, and everywhere when that is not known: when the window
    // system asked for the frame (exposed: its pixels may be gone), or the
    // buffer is older than the frames tracked. Whether a swap keeps the back
    // buffer, or hands over one of two or three in turn, is the window
    // system's choice, so it is asked each frame (reportedAge, where the
    // window system reports an age), else read from the frames' tags.
    void restore(bool exposed, std::optional<int> reportedAge);

    // Draws area of the kept scene anew, for a part that changes now and
    // then (a monitor's text): the scene as store() took it there goes back
    // into the window, draw() draws over it, and the result is kept. The area
    // counts as drawn by this frame, so that older buffers get it too. Needs
    // what the scene holds, and the scene's camera for draw().
    void redraw(const QRect &area, const std::function<void()> &draw);

    // Called when a frame is drawn and about to be shown, with the window
    // area it drew over the scene.
    void finishFrame(const QRegion &drawn);

private:
    enum class Orientation { kUpright, kFlipped };
    enum class Direction { kIntoWindow, kIntoCache };

    SceneCache();
    bool windowIsMultisampled();
    bool windowHasSize(const QSize &size);
    bool isReadable(GLint x, GLint y);
    bool findExactRoundTrip();
    bool findUnchangedCopy(GLbitfield buffers, const std::vector<GLuint> &inWindow,
                           Orientation *orientation);
    bool isMirrored(const std::vector<GLuint> &a, const std::vector<GLuint> &b) const;
    int backBufferAge(std::optional<int> reportedAge);
    void copyIn(GLbitfield buffers, Orientation orientation);
    void copyAreaIn(const QRect &area);
    void copyBack(const QRect &area, GLbitfield buffers, Orientation orientation);
    void copyBack(const QRect &area, GLbitfield buffers, Orientation orientation,
                  const QOpenGLFramebufferObject &from);
    void keepBackdrop();
    void copyArea(const QRect &area, GLbitfield buffers, Orientation orientation,
                  const QOpenGLFramebufferObject &cache, Direction direction);
    std::vector<GLuint> read(GLuint framebuffer, GLbitfield buffers);
    void bindWindow();

    QOpenGLExtraFunctions *gl;
    std::unique_ptr<QOpenGLFramebufferObject> buffer;
    // The scene's colour as store() took it, before any area was drawn anew
    // over it.
    std::unique_ptr<QOpenGLFramebufferObject> backdrop;
    QRegion redrawn;               // areas drawn anew in this frame
    QSize storedSize;              // empty while nothing is stored
    Orientation colourOrientation; // of copies between window and buffer
    Orientation depthOrientation;
    GLuint window = 0; // the framebuffer of this frame's window
    FrameHistory history;
    // Once the window system has reported an age above 0, its 0 means
    // undefined contents; before, it may be all it ever reports.
    bool reportsAge = false;
};
