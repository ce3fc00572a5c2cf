#include "panelfonttexture.h"

#include "panelfont.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace
{

using namespace panelfont;

// The glow: a wide faint stroke under the bright one, as a phosphor trace
// blooms; faint, so that the gaps between strokes stay dark. Width in grid units.
const double kGlowWidth = 1.6;
const int kGlowAlpha = 48;
const int kOpaque = 255;

bool lit(int c, int column, int row)
{
    return column >= 0 && column < kGridColumns && row >= 0 && row < kGridRows &&
           isDot(c, column, row);
}

// A diagonal neighbour joins when neither dot of the square they share is
// lit: those would join the two already, round a corner.
bool diagonalJoins(int c, int column, int row, int step)
{
    return lit(c, column + step, row + 1) && !lit(c, column + step, row) &&
           !lit(c, column, row + 1);
}

bool isolated(int c, int column, int row)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && lit(c, column + dx, row + dy))
                return false;
    return true;
}

void addSegment(QPainterPath &path, int column, int row, int toColumn, int toRow)
{
    path.moveTo(column, row);
    path.lineTo(toColumn, toRow);
}

// The strokes of one glyph, in grid units from its top left dot, and its
// isolated dots, which have no stroke to cap.
struct GlyphShape {
    QPainterPath strokes;
    std::vector<QPointF> dots;
};

GlyphShape glyphShape(int c)
{
    GlyphShape shape;
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            if (!lit(c, column, row))
                continue;
            if (isolated(c, column, row))
                shape.dots.emplace_back(column, row);
            if (lit(c, column + 1, row))
                addSegment(shape.strokes, column, row, column + 1, row);
            if (lit(c, column, row + 1))
                addSegment(shape.strokes, column, row, column, row + 1);
            for (const int step : {-1, 1})
                if (diagonalJoins(c, column, row, step))
                    addSegment(shape.strokes, column, row, column + step, row + 1);
        }
    }
    return shape;
}

// Strokes of a width (grid units) in white of an alpha. The strokes' outline
// is made one shape first: filled as separate outlines, each joint would be
// covered twice, or not at all where two outlines wind opposite ways.
void paintShape(QPainter &painter, const GlyphShape &shape, double width, int alpha)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath outline = stroker.createStroke(shape.strokes);
    const double spotRadius = (width - kStrokeWidth + kSpotWidth) / 2;
    for (const QPointF &dot : shape.dots)
        outline.addEllipse(dot, spotRadius, spotRadius);
    painter.fillPath(outline.simplified(), QColor(255, 255, 255, alpha));
}

void paintGlyph(QPainter &painter, int c)
{
    const GlyphShape shape = glyphShape(c);
    const int index = c - kFirstChar;
    painter.save();
    painter.translate((index % kAtlasColumns) * kCellWidth + kDotLeftPixels,
                      (index / kAtlasColumns) * kCellHeight + kDotTopPixels);
    painter.scale(kUnitPixels, kUnitPixels);
    paintShape(painter, shape, kGlowWidth, kGlowAlpha);
    paintShape(painter, shape, kStrokeWidth, kOpaque);
    painter.restore();
}

} // namespace

QImage makePanelFontTexture()
{
    QImage image(kAtlasWidth, kAtlasHeight, QImage::Format_ARGB32);
    // Transparent texels keep the strokes' white, so that filtering between
    // ink and background draws no dark fringe.
    image.fill(QColor(255, 255, 255, 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int c = kFirstChar; c <= kLastChar; ++c)
        paintGlyph(painter, c);
    return image;
}
