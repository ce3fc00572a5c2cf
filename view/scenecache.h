#pragma once

#include <QRect>
#include <QSize>
#include <QtGui/qopengl.h>

#include <memory>
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
// framebuffer the view draws into: the window's own (framebuffer 0).
//
// Checking the window's size reads pixels back, which makes a GPU drain its
// whole pipeline, so it is done only while storing: after a resize, in the
// first frames after showing (when the window system may not have resized the
// buffers yet) and with a new context. A frame that restores checks nothing.
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
    void forget() { storedSize = QSize(); }

    // Takes the window's colour and depth as the scene drawn at size. Returns
    // false, after saying why on standard error, when the copies cannot be
    // made exact here (a multisampled window, copies that change values): the
    // cache is then useless, and the window's buffers may have been
    // overwritten by the check. A window whose buffers do not have that size yet (the window
    // system resizes them a little later than it reports the new size) is
    // left alone, and the next call tries again.
    bool store(const QSize &size);

    // Puts the stored scene back into the window's colour and depth buffers:
    // only into area (device pixels, origin bottom left) when the window's
    // buffers are known to keep their contents from one frame to the next,
    // else everywhere.
    void restore(const QRect &area);

    // Called when a frame is drawn and about to be shown. After a store, the
    // first such frame is read back, and the next restore compares the
    // window's buffers with it: whether a buffer swap keeps them is the
    // driver's choice, so it is checked, never assumed.
    void finishFrame();

private:
    enum class Orientation { kUpright, kFlipped };
    // Whether the window's buffers hold the last frame when the next begins.
    enum class Keeping { kUnknown, kChecking, kKept, kNotKept };

    SceneCache();
    bool windowIsMultisampled();
    bool windowHasSize(const QSize &size);
    bool isReadable(GLint x, GLint y);
    bool findExactRoundTrip();
    bool findUnchangedCopy(GLbitfield buffers, const std::vector<GLuint> &window,
                           Orientation *orientation);
    bool isMirrored(const std::vector<GLuint> &a, const std::vector<GLuint> &b) const;
    bool windowHoldsLastFrame();
    void copyIn(GLbitfield buffers, Orientation orientation);
    void copyBack(const QRect &area, GLbitfield buffers, Orientation orientation);
    std::vector<GLuint> read(GLuint framebuffer, GLbitfield buffers);
    void bindWindow();

    QOpenGLExtraFunctions *gl;
    std::unique_ptr<QOpenGLFramebufferObject> buffer;
    QSize storedSize;              // empty while nothing is stored
    Orientation colourOrientation; // of copies between window and buffer
    Orientation depthOrientation;
    Keeping keeping = Keeping::kNotKept; // unknown only after a store
    std::vector<GLuint> lastColour;      // the frame read back while checking
    std::vector<GLuint> lastDepth;
};
