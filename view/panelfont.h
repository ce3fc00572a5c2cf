#pragma once

// The panel font: the team's own glyphs for printable ASCII, and where each
// lies in the atlas texture that texgen draws from them and the view draws
// text from. Plain values only, as in scenelayout.h, so that the generator and
// the view read one design and one layout.
//
// Each glyph is designed as dots on a grid of kGridColumns x kGridRows, row 0
// at the top: capitals and digits fill rows 0 to kBaselineRow, lowercase
// letters rows 2 to kBaselineRow with ascenders up to row 0, and descenders
// go below the baseline. The generator joins lit dots into strokes with round
// caps: neighbours in a row or a column always, diagonal neighbours when
// neither dot between them is lit (so that corners round off and slants stay
// slants); a lit dot with no lit neighbour is a round spot kSpotWidth wide.
namespace panelfont
{

// Where the atlas is, under scene::kTextureFolder.
constexpr char kTextureFile[] = "panelfont.png";

// The characters: printable ASCII, one glyph each.
constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kGlyphCount = kLastChar - kFirstChar + 1;

// The design grid. Grid units below are the distance between two dots.
constexpr int kGridColumns = 5;
constexpr int kGridRows = 9;
constexpr int kBaselineRow = 6;      // the last row of capitals; rows below hold descenders
constexpr double kStrokeWidth = 0.8; // grid units: thin enough for a gap between two strokes
// A lit dot alone (a full stop, a colon's dots) is a round spot this wide,
// grid units: wider than a stroke, as in type, so that it stays in small text.
constexpr double kSpotWidth = 1.4;
// Where ink ends, in grid units down from the centre of row 0: a stroke's
// round end reaches half its width past the dots.
constexpr double kInkTop = -kStrokeWidth / 2;
constexpr double kInkBaseline = kBaselineRow + kStrokeWidth / 2;
// The height of a capital or a digit, ink to ink: the unit of text height.
constexpr double kCapHeight = kInkBaseline - kInkTop;

// The glyph box, the part of a cell that a character's quad shows, in grid
// units from the centre of the top left dot (x right, y down); its width is
// also the advance from one character to the next, which leaves one empty
// grid column between neighbours' ink.
constexpr double kBoxLeft = -1.0;
constexpr double kBoxTop = -1.5;
constexpr double kBoxWidth = 6.0;
constexpr double kBoxHeight = 11.0;
constexpr double kAdvance = kBoxWidth;

// The atlas: kAtlasColumns cells to a row, character kFirstChar first, left
// to right and then top to bottom in the image (top row first), each cell
// kCellWidth x kCellHeight pixels; rows below the last glyph stay empty.
constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 512;
constexpr int kAtlasColumns = 16;
constexpr int kAtlasRows = (kGlyphCount + kAtlasColumns - 1) / kAtlasColumns;
constexpr int kCellWidth = 32;
constexpr int kCellHeight = 64;
constexpr int kUnitPixels = 4; // atlas pixels per grid unit
// The centre of a cell's top left dot, in pixels from the cell's top left
// corner: the glyph box sits in the middle of the cell.
constexpr double kDotLeftPixels =
    (kCellWidth - kBoxWidth * kUnitPixels) / 2 - kBoxLeft * kUnitPixels;
constexpr double kDotTopPixels =
    (kCellHeight - kBoxHeight * kUnitPixels) / 2 - kBoxTop * kUnitPixels;
// Clear pixels between a glyph box and its cell's edge. Mipmap levels up to
// the one whose texels are this wide (4 x 4 pixels: text down to about 7
// pixels tall) never mix a neighbour's ink into a box's edge.
constexpr int kCellPadding = 4;

static_assert(kAtlasColumns * kCellWidth <= kAtlasWidth, "the cells fit the atlas's width");
static_assert(kAtlasRows * kCellHeight <= kAtlasHeight, "the cells fit the atlas's height");
static_assert((kCellWidth - kBoxWidth * kUnitPixels) / 2 >= kCellPadding, "padding beside a box");
static_assert((kCellHeight - kBoxHeight * kUnitPixels) / 2 >= kCellPadding, "padding over a box");
static_assert(kBoxLeft + kBoxWidth >= kGridColumns, "a glyph's ink fits its box's width");
static_assert(kBoxTop + kBoxHeight >= kGridRows, "a glyph's ink fits its box's height");

// The glyphs, eight characters to a block in ASCII order from kFirstChar, a
// block's glyphs side by side with one space between them: '#' a lit dot,
// '.' a dark one.
constexpr int kSheetGlyphsPerBlock = 8;
constexpr int kSheetBlocks = (kGlyphCount + kSheetGlyphsPerBlock - 1) / kSheetGlyphsPerBlock;
constexpr int kSheetStride = kGridColumns + 1;
// clang-format off
constexpr const char *kSheet[kSheetBlocks][kGridRows] = {
    // space  !      "      #      $      %      &      '
    {"..... ..#.. .#.#. .#.#. ..#.. ##... .##.. ..#..",
     "..... ..#.. .#.#. .#.#. .#### ##..# #..#. ..#..",
     "..... ..#.. ..... ##### #.#.. ...#. #.#.. .#...",
     "..... ..#.. ..... .#.#. .###. ..#.. .#... .....",
     "..... ..#.. ..... ##### ..#.# .#... #.#.# .....",
     "..... ..... ..... .#.#. ####. #..## #..#. .....",
     "..... ..#.. ..... .#.#. ..#.. ...## .##.# .....",
     "..... ..... ..... ..... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // (     )      *      +      ,      -      .      /
    {"...#. .#... ..... ..... ..... ..... ..... .....",
     "..#.. ..#.. ..#.. ..#.. ..... ..... ..... ....#",
     ".#... ...#. #.#.# ..#.. ..... ..... ..... ...#.",
     ".#... ...#. .###. ##### ..... .###. ..... ..#..",
     ".#... ...#. #.#.# ..#.. ..... ..... ..... .#...",
     "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..... #....",
     "...#. .#... ..... ..... ..#.. ..... ..#.. .....",
     "..... ..... ..... ..... .#... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // 0     1      2      3      4      5      6      7
    {".##.. ..#.. .###. .###. ...#. ##### ..##. #####",
     "#..#. .##.. #...# #...# ..##. #.... .#... ....#",
     "#..#. #.#.. ....# ....# .#.#. ####. #.... ...#.",
     "#..#. ..#.. ...#. ..##. #..#. ....# ####. ..#..",
     "#..#. ..#.. ..#.. ....# ##### ....# #...# .#...",
     "#..#. ..#.. .#... #...# ...#. #...# #...# .#...",
     ".##.. .###. ##### .###. ...#. .###. .###. .#...",
     "..... ..... ..... ..... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // 8     9      :      ;      <      =      >      ?
    {".###. .###. ..... ..... ...#. ..... .#... .###.",
     "#...# #...# ..... ..... ..#.. ..... ..#.. #...#",
     "#...# #...# ..#.. ..#.. .#... ##### ...#. ....#",
     ".###. .#### ..... ..... #.... ..... ....# ...#.",
     "#...# ....# ..... ..... .#... ##### ...#. ..#..",
     "#...# ...#. ..... ..#.. ..#.. ..... ..#.. .....",
     ".###. .##.. ..#.. ..#.. ...#. ..... .#... ..#..",
     "..... ..... ..... .#... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // @     A      B      C      D      E      F      G
    {".###. ..#.. ####. .###. ###.. ##### ##### .###.",
     "#...# .#.#. #...# #...# #..#. #.... #.... #...#",
     "#.### #...# #...# #.... #...# #.... #.... #....",
     "#.#.# #...# ####. #.... #...# ####. ####. #.###",
     "#.### ##### #...# #.... #...# #.... #.... #...#",
     "#.... #...# #...# #...# #..#. #.... #.... #...#",
     ".#### #...# ####. .###. ###.. ##### #.... .####",
     "..... ..... ..... ..... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // H     I      J      K      L      M      N      O
    {"#...# .###. ..### #...# #.... #...# #...# .###.",
     "#...# ..#.. ...#. #..#. #.... ##.## #...# #...#",
     "#...# ..#.. ...#. #.#.. #.... #.#.# ##..# #...#",
     "##### ..#.. ...#. ##... #.... #.#.# #.#.# #...#",
     "#...# ..#.. ...#. #.#.. #.... #...# #..## #...#",
     "#...# ..#.. #..#. #..#. #.... #...# #...# #...#",
     "#...# .###. .##.. #...# ##### #...# #...# .###.",
     "..... ..... ..... ..... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // P     Q      R      S      T      U      V      W
    {"####. .###. ####. .###. ##### #...# #...# #...#",
     "#...# #...# #...# #...# ..#.. #...# #...# #...#",
     "#...# #...# #...# #.... ..#.. #...# #...# #...#",
     "####. #...# ####. .###. ..#.. #...# #...# #.#.#",
     "#.... #.#.# #.#.. ....# ..#.. #...# #...# #.#.#",
     "#.... #..#. #..#. #...# ..#.. #...# .#.#. #.#.#",
     "#.... .##.# #...# .###. ..#.. .###. ..#.. .#.#.",
     "..... ..... ..... ..... ..... ..... ..... .....",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // X     Y      Z      [      \      ]      ^      _
    {"#...# #...# ##### .###. ..... .###. ..#.. .....",
     "#...# #...# ....# .#... #.... ...#. .#.#. .....",
     ".#.#. .#.#. ...#. .#... .#... ...#. #...# .....",
     "..#.. ..#.. ..#.. .#... ..#.. ...#. ..... .....",
     ".#.#. ..#.. .#... .#... ...#. ...#. ..... .....",
     "#...# ..#.. #.... .#... ....# ...#. ..... .....",
     "#...# ..#.. ##### .###. ..... .###. ..... .....",
     "..... ..... ..... ..... ..... ..... ..... #####",
     "..... ..... ..... ..... ..... ..... ..... ....."},
    // `     a      b      c      d      e      f      g
    {".#... ..... #.... ..... ....# ..... ..##. .....",
     "..#.. ..... #.... ..... ....# ..... .#..# .....",
     "..... .###. #.##. .###. .##.# .###. .#... .####",
     "..... ....# ##..# #.... #..## #...# ###.. #...#",
     "..... .#### #...# #.... #...# ##### .#... #...#",
     "..... #...# #...# #...# #...# #.... .#... #...#",
     "..... .#### ####. .###. .#### .###. .#... .####",
     "..... ..... ..... ..... ..... ..... ..... ....#",
     "..... ..... ..... ..... ..... ..... ..... .###."},
    // h     i      j      k      l      m      n      o
    {"#.... ..#.. ...#. #.... .##.. ..... ..... .....",
     "#.... ..... ..... #.... ..#.. ..... ..... .....",
     "#.##. .##.. ..##. #..#. ..#.. ##.#. #.##. .###.",
     "##..# ..#.. ...#. #.#.. ..#.. #.#.# ##..# #...#",
     "#...# ..#.. ...#. ##... ..#.. #.#.# #...# #...#",
     "#...# ..#.. ...#. #.#.. ..#.. #...# #...# #...#",
     "#...# .###. ...#. #..#. .###. #...# #...# .###.",
     "..... ..... #..#. ..... ..... ..... ..... .....",
     "..... ..... .##.. ..... ..... ..... ..... ....."},
    // p     q      r      s      t      u      v      w
    {"..... ..... ..... ..... .#... ..... ..... .....",
     "..... ..... ..... ..... .#... ..... ..... .....",
     "####. .#### #.##. .#### ####. #...# #...# #...#",
     "#...# #...# ##..# #.... .#... #...# #...# #...#",
     "#...# #...# #.... .###. .#... #...# #...# #.#.#",
     "#...# #...# #.... ....# .#..# #..## .#.#. #.#.#",
     "####. .#### #.... ####. ..##. .##.# ..#.. .#.#.",
     "#.... ....# ..... ..... ..... ..... ..... .....",
     "#.... ....# ..... ..... ..... ..... ..... ....."},
    // x     y      z      {      |      }      ~
    {"..... ..... ..... ...#. ..#.. .#... .....",
     "..... ..... ..... ..#.. ..#.. ..#.. .....",
     "#...# #...# ##### ..#.. ..#.. ..#.. .#...",
     ".#.#. #...# ...#. .#... ..#.. ...#. #.#.#",
     "..#.. #...# ..#.. ..#.. ..#.. ..#.. ...#.",
     ".#.#. #...# .#... ..#.. ..#.. ..#.. .....",
     "#...# .#### ##### ...#. ..#.. .#... .....",
     "..... ....# ..... ..... ..... ..... .....",
     "..... .###. ..... ..... ..... ..... ....."},
};
// clang-format on

// True when the glyph of character c (kFirstChar..kLastChar) has a lit dot
// at column (0..kGridColumns-1) and row (0..kGridRows-1).
constexpr bool isDot(int c, int column, int row)
{
    const int index = c - kFirstChar;
    const char *line = kSheet[index / kSheetGlyphsPerBlock][row];
    return line[(index % kSheetGlyphsPerBlock) * kSheetStride + column] == '#';
}

} // namespace panelfont
