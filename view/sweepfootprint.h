#pragma once

#include <QPointF>
#include <QRect>
#include <QtGui/qopengl.h>

#include <memory>
#include <optional>
#include <vector>

class DisplayList;
class WindowProjection;

// Where in the window the sweep can change a pixel. The sweep is a square the
// size of the screen, but its texture is transparent over most of it, and a
// fragment of alpha 0 leaves a blended pixel exactly as it was. Drawn once per
// band of rows, each time scissored to the part of the band that a visible
// texel can reach, the square gives the very same pixels for a fraction of the
// fragments; under a software renderer the fragments are the cost.
//
// What is visible is read from the texture as OpenGL holds it, every mipmap
// level, and a band is widened to what linear filtering between the levels the
// view's scale can sample may pick up, so the scissor never cuts a pixel the
// square would have changed.
class SweepFootprint
{
public:
    // The footprint of the texture bound to GL_TEXTURE_2D of the current
    // context, drawn on the quad of drawQuad (texture coordinates 0..1 over
    // -0.5..0.5, both axes reversed).
    static std::unique_ptr<SweepFootprint> ofBoundTexture();

    // Scissor rectangles in window coordinates (origin bottom left), rows
    // apart, that hold every pixel the quad can change when drawn with the
    // current modelview, projection and viewport; nothing when this cannot be
    // bounded (a quad reaching behind the eye), and the quad is drawn whole.
    std::optional<std::vector<QRect>> bands();

    // Calls quad (the square this footprint is of) once per band, scissored
    // to it, and returns the window area it drew in; nothing, and draws
    // nothing, when the bands cannot be bounded.
    std::optional<QRect> drawInBands(DisplayList &quad);

private:
    struct Level {
        int width;
        int height;
        std::vector<bool> visible; // texel alpha above 0, bottom row first
    };

    explicit SweepFootprint(std::vector<Level> levels);
    int highestSampledLevel(const WindowProjection &projection) const;
    const std::vector<QPointF> &hullUpTo(int level);
    std::vector<QPointF> computeHull(int level) const;

    std::vector<Level> levels; // level 0 first
    // Per highest level sampled: the convex hull, in quad coordinates, of the
    // texture coordinates at which filtering can pick up a visible texel.
    // Computed when first needed.
    std::vector<std::optional<std::vector<QPointF>>> hulls;
};
