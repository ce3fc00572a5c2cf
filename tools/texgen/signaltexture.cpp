#include "signaltexture.h"

#include "scopepalette.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace
{

const int kImageWidth = 512;
const int kImageHeight = 128;
const double kBandMargin = 6.0; // pixels between the band and the image's edge
const double kBandCornerRadius = 22.0;
const QColor kBandColour(4, 14, 7, 215);
const double kBandRimWidth = 3.0;

// The letters are strokes on a grid of kGlyphWidth x kGlyphHeight units, y
// down, kGlyphAdvance units apart; each unit is kUnitPixels pixels.
const double kGlyphWidth = 4.0;
const double kGlyphHeight = 6.0;
const double kGlyphAdvance = 6.5;
const double kUnitPixels = 8.0;
const double kStrokeWidth = 1.0 * kUnitPixels;
const double kGlowWidth = 2.2 * kUnitPixels;
const int kGlowAlpha = 70;

using Stroke = std::vector<QPointF>;

struct Glyph {
    char letter;
    std::vector<Stroke> strokes;
};

const Glyph kGlyphs[] = {
    {'N', {{{0, 6}, {0, 0}, {4, 6}, {4, 0}}}},
    {'O', {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}}},
    {'S', {{{4, 0}, {0, 0}, {0, 3}, {4, 3}, {4, 6}, {0, 6}}}},
    {'I', {{{2, 0}, {2, 6}}, {{1, 0}, {3, 0}}, {{1, 6}, {3, 6}}}},
    {'G', {{{4, 0}, {0, 0}, {0, 6}, {4, 6}, {4, 3}, {2, 3}}}},
    {'A', {{{0, 6}, {0, 2}, {2, 0}, {4, 2}, {4, 6}}, {{0, 4}, {4, 4}}}},
    {'L', {{{0, 0}, {0, 6}, {4, 6}}}},
};

const char kText[] = "NO SIGNAL";

const Glyph *glyphOf(char letter)
{
    for (const Glyph &glyph : kGlyphs)
        if (glyph.letter == letter)
            return &glyph;
    return nullptr; // a space
}

// The text's strokes as one path, in grid units from its top left corner.
QPainterPath textPath()
{
    QPainterPath path;
    double left = 0.0;
    for (const char *letter = kText; *letter != '\0'; ++letter, left += kGlyphAdvance) {
        const Glyph *glyph = glyphOf(*letter);
        if (glyph == nullptr)
            continue;
        for (const Stroke &stroke : glyph->strokes) {
            path.moveTo(stroke.front() + QPointF(left, 0));
            for (size_t i = 1; i < stroke.size(); ++i)
                path.lineTo(stroke[i] + QPointF(left, 0));
        }
    }
    return path;
}

void paintBand(QPainter &painter)
{
    const QRectF band(kBandMargin, kBandMargin, kImageWidth - 2 * kBandMargin,
                      kImageHeight - 2 * kBandMargin);
    painter.setPen(QPen(palette::kTrace, kBandRimWidth));
    painter.setBrush(kBandColour);
    painter.drawRoundedRect(band, kBandCornerRadius, kBandCornerRadius);
}

// A wide faint stroke under a narrow bright one, as a phosphor trace glows.
void paintText(QPainter &painter)
{
    const double textWidth = (sizeof kText - 2) * kGlyphAdvance + kGlyphWidth;
    painter.translate((kImageWidth - textWidth * kUnitPixels) / 2,
                      (kImageHeight - kGlyphHeight * kUnitPixels) / 2);
    painter.scale(kUnitPixels, kUnitPixels);
    const QPainterPath path = textPath();
    QColor glow = palette::kGlow;
    glow.setAlpha(kGlowAlpha);
    painter.setBrush(Qt::NoBrush);
    for (const auto &[colour, width] :
         {std::make_pair(glow, kGlowWidth), std::make_pair(palette::kBeam, kStrokeWidth)}) {
        painter.setPen(
            QPen(colour, width / kUnitPixels, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
    }
}

} // namespace

QImage makeNoSignalTexture()
{
    QImage image(kImageWidth, kImageHeight, QImage::Format_ARGB32);
    // Transparent texels keep the band's colour so filtering draws no fringe.
    image.fill(QColor(kBandColour.red(), kBandColour.green(), kBandColour.blue(), 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBand(painter);
    paintText(painter);
    return image;
}
