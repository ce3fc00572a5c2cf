#pragma once

#include <QRegion>
#include <QtGlobal>
#include <QtGui/qopengl.h>

#include <deque>
#include <optional>
#include <vector>

// The last frames drawn over the kept scene: where each drew (device pixels,
// origin bottom left), and a tag that each leaves in the stencil of the
// window's bottom row: the frame's number, a byte in each of the first four
// pixels. The view never uses the stencil, so the tag changes no pixel of the
// picture; read back when the next frame begins, it tells which of these
// frames the back buffer holds, whatever the frames show: two equal frames
// still carry different numbers, and a buffer of unknown contents is most
// unlikely to hold a recent one. A buffer whose pixels were lost while its
// stencil stayed is caught by the tag's pixels themselves: where the frame
// the tag names left the scene there, their colour and depth must still be
// the scene's.
//
// Every call needs the owning context current, and the window's framebuffer
// bound (it need not be framebuffer 0).
class FrameHistory
{
public:
    // Frames this far back are known; an older back buffer is restored whole.
    static constexpr int kTrackedFrames = 4;

    // Forgets every frame: the scene under them has changed.
    void clear()
    {
        frames.clear();
        sceneKnown = false;
    }

    // The window holds the scene alone, without anything drawn over it: its
    // colour and depth under the tag are taken to check the tags with.
    void takeScene();

    // The frame just drawn drew area: it is tagged, and remembered. A region,
    // not its bounding rectangle: markers on the near half and an outline on
    // the far half would otherwise make a frame restore most of the window.
    void add(const QRegion &area);

    // What the last age frames drew, where the back buffer holds the frame
    // shown age - 1 swaps before the last; nothing when that is not known
    // (age 0: undefined contents, or older than the frames tracked).
    std::optional<QRegion> drawnSince(int age) const;

    // The age that the window's back buffer's tag gives it: 1 when it holds
    // the last frame, 0 when it holds none of the frames known (or the window
    // has no stencil to keep tags in). Reads a pixel back, which makes a GPU
    // finish what it was given.
    int taggedAge() const;

private:
    struct Frame {
        quint32 tag;
        QRegion area;
    };
    // The colour (RGBA bytes) and depth (unsigned integers) of the tag's
    // pixels, bottom row first.
    struct TagPixels {
        std::vector<GLuint> colour;
        std::vector<GLuint> depth;
        bool operator==(const TagPixels &other) const
        {
            return colour == other.colour && depth == other.depth;
        }
    };

    std::deque<Frame> frames; // the newest first
    bool sceneKnown = false;
    TagPixels scene;     // the scene's, once taken
    quint32 nextTag = 1; // never 0, which a new buffer's stencil is likely to hold
};
