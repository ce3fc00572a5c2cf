#pragma once

#include "glwidgetbase.h"

#include <QSize>

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
// Every call needs the owning context current. The "window" is the framebuffer
// the widget draws into: the window's own on Qt 5, the widget's framebuffer
// object on Qt 6.
class SceneCache
{
public:
    // The cache of widget, whose context is current; null, after saying why
    // on standard error, when this context has no framebuffer objects or
    // blits to keep the scene with.
    static std::unique_ptr<SceneCache> create(const GLWidgetBase &widget);
    ~SceneCache();
    SceneCache(const SceneCache &) = delete;
    SceneCache &operator=(const SceneCache &) = delete;

    // True when it holds the scene drawn at this size (in pixels) and the
    // window's buffers still have that size.
    bool holds(const QSize &size);

    // Takes the window's colour and depth as the scene drawn at size. Returns
    // false, after saying why on standard error, when the copies cannot be
    // made exact here (a multisampled window, copies that change values): the
    // cache is then useless, and the window's buffers may have been
    // overwritten by the check. A window whose buffers do not have that size yet (the window
    // system resizes them a little later than it reports the new size) is
    // left alone, and the next call tries again.
    bool store(const QSize &size);

    // Puts the stored scene back into the window's colour and depth buffers.
    void restore();

private:
    enum class Orientation { kUpright, kFlipped };

    explicit SceneCache(const GLWidgetBase &widget);
    bool windowIsMultisampled();
    bool windowHasSize(const QSize &size);
    bool isReadable(GLint x, GLint y);
    bool findExactRoundTrip();
    bool findUnchangedCopy(GLbitfield buffers, const std::vector<GLuint> &window,
                           Orientation *orientation);
    bool isMirrored(const std::vector<GLuint> &a, const std::vector<GLuint> &b) const;
    void copy(GLuint from, GLuint to, GLbitfield buffers, Orientation orientation);
    std::vector<GLuint> read(GLuint framebuffer, GLbitfield buffers);
    void bindWindow();
    GLuint windowFramebuffer() const;

    const GLWidgetBase &widget;
    QOpenGLExtraFunctions *gl;
    std::unique_ptr<QOpenGLFramebufferObject> buffer;
    QSize storedSize;              // empty while nothing is stored
    Orientation colourOrientation; // of copies between window and buffer
    Orientation depthOrientation;
};
