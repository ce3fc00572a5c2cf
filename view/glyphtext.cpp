#include "glyphtext.h"

#include "displaylist.h"
#include "panelfont.h"

#include <cmath>

namespace
{

using Vector = GlyphText::Vector;

// What the font lacks is shown as this.
constexpr char kMissingGlyph = '?';
// Nudge towards the eye, in units of depth slope and of the depth buffer's
// resolution, so that text in a surface's plane passes the depth test.
constexpr GLfloat kDepthOffsetFactor = -1.0f;
constexpr GLfloat kDepthOffsetUnits = -1.0f;

// The glyph box's bottom and top, grid units up from the baseline.
constexpr double kBoxBottomUp =
    panelfont::kInkBaseline - (panelfont::kBoxTop + panelfont::kBoxHeight);
constexpr double kBoxTopUp = panelfont::kInkBaseline - panelfont::kBoxTop;

Vector scaled(const Vector &v, double factor)
{
    return {v.x * factor, v.y * factor, v.z * factor};
}

Vector unit(const Vector &v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0 ? scaled(v, 1.0 / length) : v;
}

// Scene points of a line of text, from coordinates in grid units: x along
// the baseline from the text's left end, y up from the baseline.
struct TextFrame {
    Vector left;  // the baseline's left end
    Vector along; // one grid unit along the baseline
    Vector up;    // one grid unit up

    TextFrame(std::string_view text, const GlyphText::Placement &where)
    {
        const double sceneUnit = where.height / panelfont::kCapHeight;
        along = scaled(unit(where.along), sceneUnit);
        up = scaled(unit(where.up), sceneUnit);
        const double alignedShare = where.align == GlyphText::Align::Left     ? 0.0
                                    : where.align == GlyphText::Align::Centre ? 0.5
                                                                              : 1.0;
        const double shift = -alignedShare * double(text.size()) * panelfont::kAdvance;
        left = {where.origin.x + along.x * shift, where.origin.y + along.y * shift,
                where.origin.z + along.z * shift};
    }

    Vector at(double x, double y) const
    {
        return {left.x + along.x * x + up.x * y, left.y + along.y * x + up.y * y,
                left.z + along.z * x + up.z * y};
    }
};

int glyphIndex(char c)
{
    const int code = static_cast<unsigned char>(c);
    const bool known = code >= panelfont::kFirstChar && code <= panelfont::kLastChar;
    return (known ? code : kMissingGlyph) - panelfont::kFirstChar;
}

void vertex(const TextFrame &frame, double x, double y, double s, double t)
{
    const Vector point = frame.at(x, y);
    glTexCoord2d(s, t);
    glVertex3d(point.x, point.y, point.z);
}

// The glyph's box in the atlas, as texture coordinates (t = 0 at the
// image's bottom row, which the upload puts first), on a quad at pen.
void glyphQuad(const TextFrame &frame, int index, double pen)
{
    using namespace panelfont;
    const double left =
        (index % kAtlasColumns) * kCellWidth + kDotLeftPixels + kBoxLeft * kUnitPixels;
    const double top =
        (index / kAtlasColumns) * kCellHeight + kDotTopPixels + kBoxTop * kUnitPixels;
    const double s0 = left / kAtlasWidth;
    const double s1 = (left + kBoxWidth * kUnitPixels) / kAtlasWidth;
    const double t1 = 1.0 - top / kAtlasHeight;
    const double t0 = 1.0 - (top + kBoxHeight * kUnitPixels) / kAtlasHeight;
    vertex(frame, pen, kBoxBottomUp, s0, t0);
    vertex(frame, pen + kBoxWidth, kBoxBottomUp, s1, t0);
    vertex(frame, pen + kBoxWidth, kBoxTopUp, s1, t1);
    vertex(frame, pen, kBoxTopUp, s0, t1);
}

// The colour comes from glColor alone and the texture gives only alpha, so
// that the texels beside the ink, whose colour filtering mixes in, darken
// nothing.
void takeColourFromPrimaryAndCoverageFromTexture()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
}

void setTextState(GLuint atlas)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, atlas);
    takeColourFromPrimaryAndCoverageFromTexture();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(kDepthOffsetFactor, kDepthOffsetUnits);
}

} // namespace

GlyphText::GlyphText(GLuint atlas) : atlas(atlas) {}

void GlyphText::draw(std::string_view text, const Placement &where, const GLfloat colour[4]) const
{
    const TextFrame frame(text, where);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT |
                 GL_CURRENT_BIT | GL_POLYGON_BIT);
    setTextState(atlas);
    glBegin(GL_QUADS);
    glColor4fv(colour);
    double pen = 0.0;
    for (const char c : text) {
        if (c != ' ')
            glyphQuad(frame, glyphIndex(c), pen);
        pen += panelfont::kAdvance;
    }
    glEnd();
    glPopAttrib();
}

void GlyphText::record(DisplayList &list, std::string_view text, const Placement &where,
                       const GLfloat colour[4]) const
{
    list.begin();
    draw(text, where, colour);
    DisplayList::end();
}

double GlyphText::width(std::string_view text, double height)
{
    return double(text.size()) * panelfont::kAdvance * height / panelfont::kCapHeight;
}

std::array<Vector, 4> GlyphText::corners(std::string_view text, const Placement &where)
{
    const TextFrame frame(text, where);
    const double right = double(text.size()) * panelfont::kAdvance;
    return {frame.at(0.0, kBoxBottomUp), frame.at(right, kBoxBottomUp), frame.at(right, kBoxTopUp),
            frame.at(0.0, kBoxTopUp)};
}
