#pragma once

#include "windowprojection.h"

#include <QtGui/qopengl.h>

#include <array>
#include <string_view>

class DisplayList;

// Lines of text in the panel font (panelfont.h), drawn from its atlas as one
// textured quad per character, in a plane given in the current modelview's
// coordinates: flat on the radar screen, say, or up a slanted panel. The atlas
// gives only each texel's coverage; the colour is the caller's. A character
// outside printable ASCII shows as '?'.
class GlyphText
{
public:
    using Vector = WindowProjection::ScenePoint;
    enum class Align { Left, Centre, Right };

    // Where a line of text lies. along and up must not be zero; up is best
    // square to along (else the glyphs lean).
    struct Placement {
        Vector origin; // on the baseline: the text's left end, middle or right end, as align says
        Vector along;  // the baseline's direction in reading order; any length
        Vector up;     // from the baseline up the glyphs; any length
        double height; // of a capital or a digit, ink to ink, scene units
        Align align;
    };

    // atlas names the texture of panelfont::kTextureFile as the view loads
    // it (bottom row first, mipmapped); it is not owned.
    explicit GlyphText(GLuint atlas);

    // Draws text in colour (RGBA, alpha scaling the coverage), blended over
    // what is there. Writes no depth, and is drawn a little towards the eye,
    // so that text in a surface's own plane shows in front of the surface.
    // Leaves the context's state as it found it; may be recorded into a
    // display list.
    void draw(std::string_view text, const Placement &where, const GLfloat colour[4]) const;
    // Records the same drawing into list, for text that never changes.
    void record(DisplayList &list, std::string_view text, const Placement &where,
                const GLfloat colour[4]) const;

    // The length of text along its baseline, scene units, at a height.
    static double width(std::string_view text, double height);
    // The corners of the rectangle that the text's quads cover, from descent
    // to ascent: bottom left, bottom right, top right, top left, as read.
    static std::array<Vector, 4> corners(std::string_view text, const Placement &where);

private:
    GLuint atlas;
};
