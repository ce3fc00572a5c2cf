// The panel font: its design in view/panelfont.h, and the committed atlas
// against the generator that draws it.
#include "panelfont.h"
#include "panelfonttexture.h"
#include "scenelayout.h"

#include <QImage>
#include <QRect>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

using namespace panelfont;

std::string patternOf(int c)
{
    std::string dots;
    for (int row = 0; row < kGridRows; ++row)
        for (int column = 0; column < kGridColumns; ++column)
            dots += isDot(c, column, row) ? '#' : '.';
    return dots;
}

// The glyph box of character c in the atlas, in pixels.
QRect boxOf(int c)
{
    const int index = c - kFirstChar;
    const int left =
        int((index % kAtlasColumns) * kCellWidth + kDotLeftPixels + kBoxLeft * kUnitPixels);
    const int top =
        int((index / kAtlasColumns) * kCellHeight + kDotTopPixels + kBoxTop * kUnitPixels);
    return QRect(left, top, int(kBoxWidth * kUnitPixels), int(kBoxHeight * kUnitPixels));
}

} // namespace

TEST(PanelFontTest, EveryCharacterButSpaceHasAGlyphOfItsOwn)
{
    std::set<std::string> seen;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        const std::string pattern = patternOf(c);
        EXPECT_EQ(pattern.find('#') == std::string::npos, c == ' ') << char(c);
        EXPECT_TRUE(seen.insert(pattern).second) << char(c) << " looks like an earlier glyph";
    }
}

// Ink only inside each glyph's box, so that no quad shows its neighbour's.
TEST(PanelFontTest, InkStaysInsideTheGlyphBoxes)
{
    const QImage atlas = makePanelFontTexture();
    ASSERT_EQ(atlas.size(), QSize(kAtlasWidth, kAtlasHeight));
    QImage outside = atlas;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        const QRect box = boxOf(c);
        bool inked = false;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                inked = inked || qAlpha(outside.pixel(x, y)) > 0;
                outside.setPixel(x, y, qRgba(255, 255, 255, 0));
            }
        EXPECT_EQ(inked, c != ' ') << char(c);
    }
    for (int y = 0; y < outside.height(); ++y)
        for (int x = 0; x < outside.width(); ++x)
            ASSERT_EQ(qAlpha(outside.pixel(x, y)), 0)
                << "ink outside the boxes at " << x << ", " << y;
}

TEST(PanelFontTest, TheCommittedAtlasIsTheGenerators)
{
    const QString path =
        QStringLiteral(RADAR_SOURCE_DIR "/") + scene::kTextureFolder + kTextureFile;
    const QImage committed(path);
    ASSERT_FALSE(committed.isNull()) << qPrintable(path) << " is missing";
    EXPECT_TRUE(committed.convertToFormat(QImage::Format_ARGB32) == makePanelFontTexture())
        << qPrintable(path) << " is stale: run build/tools/texgen/texgen textures";
}
