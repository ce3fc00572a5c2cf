#include "assetfolder.h"
#include "displaylist.h"
#include "glyphtext.h"
#include "ocr.h"
#include "offscreengl.h"
#include "panelfont.h"
#include "scenecamera.h"
#include "textureupload.h"
#include "windowprojection.h"

#include <QPixmap>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace
{

using Align = GlyphText::Align;
using Placement = GlyphText::Placement;

const QSize kPixelFrame(480, 96); // in its view a scene unit is a pixel
const QSize kSmallScreen(800, 600);
const GLfloat kPanelGreen[4] = {0.04f, 0.19f, 0.08f, 1.0f};
const GLfloat kTextGreen[4] = {0.35f, 1.0f, 0.5f, 1.0f};
const GLfloat kAlarmRed[4] = {1.0f, 0.25f, 0.15f, 1.0f};
const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const double kCutPixelsPerUnit = 4.0; // of the font's grid, in the upright cut-outs
const int kColourTolerance = 2;       // levels of 255 the blending may round away
const double kLargeHeight = 40.0;     // pixels: magnified from the atlas

const char kStatusLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.:";
const char kDigits[] = "0123456789";

// Text along x, up along y, centred on the pixel frame's middle.
Placement acrossPixelFrame(double height)
{
    return {{kPixelFrame.width() / 2.0, kPixelFrame.height() / 2.0 - height / 2, 0.0},
            {1.0, 0.0, 0.0},
            {0.0, 1.0, 0.0},
            height,
            Align::Centre};
}

// An offscreen frame with the font's atlas loaded as the view loads it.
struct TextCanvas {
    explicit TextCanvas(const QSize &size) : gl(size)
    {
        if (gl.isReady())
            atlas = uploadTexture(AssetFolder(QString()).texture(panelfont::kTextureFile),
                                  GL_TEXTURE_2D, GL_RGBA);
    }
    ~TextCanvas()
    {
        if (gl.makeCurrent())
            glDeleteTextures(1, &atlas);
    }

    // The panel's colour, and no depth.
    static void clear()
    {
        glClearColor(kPanelGreen[0], kPanelGreen[1], kPanelGreen[2], kPanelGreen[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    QImage drawn(const std::string &text, const Placement &where,
                 const GLfloat *colour = kTextGreen)
    {
        clear();
        GlyphText(atlas).draw(text, where, colour);
        return gl.image();
    }

    OffscreenGL gl;
    GLuint atlas = 0;
};

// Pixels of frame that the panel's colour does not fill, outside the window
// area (origin bottom left).
int inkOutside(const QImage &frame, const QRect &area)
{
    const QRgb panel =
        qRgb(int(std::lround(kPanelGreen[0] * 255)), int(std::lround(kPanelGreen[1] * 255)),
             int(std::lround(kPanelGreen[2] * 255)));
    int count = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (!area.contains(x, frame.height() - 1 - y) && frame.pixel(x, y) != panel)
                ++count;
    return count;
}

// A reading with no space beside a colon: Tesseract sees one there at some
// sizes, where the monospaced colon leaves room on both sides, and a reader
// sees none.
std::string closedUpColons(QString reading)
{
    return reading.replace(QStringLiteral(" :"), QStringLiteral(":"))
        .replace(QStringLiteral(": "), QStringLiteral(":"))
        .toStdString();
}

// The window area of the text's corners, as the current matrices put them.
QRect areaOf(const std::string &text, const Placement &where)
{
    const auto corners = GlyphText::corners(text, where);
    return WindowProjection::current().areaOf(corners.data(), corners.size()).value_or(QRect());
}

// The text's quads cut out of frame, as the current matrices put them there,
// and set upright at kCutPixelsPerUnit.
QImage cutOut(const QImage &frame, const std::string &text, const Placement &where)
{
    const WindowProjection projection = WindowProjection::current();
    const auto corners = GlyphText::corners(text, where);
    std::array<QPointF, 4> inImage;
    const int readingOrder[4] = {3, 2, 1, 0}; // top left first
    for (int i = 0; i < 4; ++i) {
        const auto &corner = corners[readingOrder[i]];
        const QPointF window = projection.toWindow(corner.x, corner.y, corner.z).value();
        inImage[i] = QPointF(window.x(), frame.height() - window.y());
    }
    const QSize size(int(std::lround(text.size() * panelfont::kAdvance * kCutPixelsPerUnit)),
                     int(std::lround(panelfont::kBoxHeight * kCutPixelsPerUnit)));
    return ocr::rectify(frame, inImage, size);
}

// A frame in whose view a scene unit is a pixel, origin bottom left.
class GlyphTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(canvas.gl.isReady());
        TextCanvas::clear();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, kPixelFrame.width(), 0.0, kPixelFrame.height(), -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    TextCanvas canvas{kPixelFrame};
};

struct ReadCase {
    const char *text;
    double heightPixels; // capitals' height on screen
    const char *whitelist;
};

void PrintTo(const ReadCase &line, std::ostream *out)
{
    *out << line.text << " at " << line.heightPixels << " pixels";
}

class GlyphTextReadTest : public GlyphTextTest, public ::testing::WithParamInterface<ReadCase>
{
};

// What the lead's panels and the radar screen will show, at the heights they
// will have on screens from 800 x 600 to 1280 x 1024.
const ReadCase kReadCases[] = {
    {"LIVE localhost:3333", 14, kStatusLetters},
    {"LIVE gpsyard:3333", 12, kStatusLetters}, // descenders
    {"NO SIGNAL 40 S", 10, kStatusLetters},
    {"AGE 12.3 S", 20, kStatusLetters},
    {"TARGETS 1000", 10, kStatusLetters},
    {"HITS 34", 8, kStatusLetters},
    {"ALARM 2 3", 14, kStatusLetters},
    {"12:34:56", 10, "0123456789:"},
    {"000 030 330", 14, kDigits},
    {"0.78", 20, "0123456789."},
};

// The text draws nothing outside the window area of its corners either.
TEST_P(GlyphTextReadTest, ReadsBackWhatItDrew)
{
    const ReadCase &line = GetParam();
    const Placement where = acrossPixelFrame(line.heightPixels);
    const QImage frame = canvas.drawn(line.text, where);
    EXPECT_EQ(inkOutside(frame, areaOf(line.text, where)), 0);
    const ocr::Reading reading = ocr::readLine(cutOut(frame, line.text, where), line.whitelist);
    ASSERT_TRUE(reading.error.isEmpty()) << qPrintable(reading.error);
    EXPECT_EQ(closedUpColons(reading.text), line.text);
}

INSTANTIATE_TEST_SUITE_P(StatusLines, GlyphTextReadTest, ::testing::ValuesIn(kReadCases));

// From the view's own camera on its smallest screen: flat on the radar
// screen, reading away from the camera, and up a panel that leans back by
// 30 degrees and turns 20 degrees towards the camera.
TEST(GlyphTextSceneTest, ReadsBackFromTheViewsCameraOnTheScreenAndOnASlantedPanel)
{
    TextCanvas screen(kSmallScreen);
    ASSERT_TRUE(screen.gl.isReady());
    const double lean = 30.0 * M_PI / 180, turn = 20.0 * M_PI / 180;
    const struct {
        const char *text;
        Placement where;
        const GLfloat *colour;
    } lines[] = {
        {"330 0.78", {{0.0, 1.451, 0.5}, {1, 0, 0}, {0, 0, -1}, 0.12, Align::Centre}, kTextGreen},
        {"ALARM 2 3",
         {{-0.5, 2.0, 2.0},
          {std::cos(turn), 0.0, -std::sin(turn)},
          {-std::sin(lean) * std::sin(turn), std::cos(lean), -std::sin(lean) * std::cos(turn)},
          0.1,
          Align::Left},
         kAlarmRed},
    };
    applySceneCamera(kSmallScreen);
    for (const auto &line : lines) {
        const QImage frame = screen.drawn(line.text, line.where, line.colour);
        EXPECT_EQ(inkOutside(frame, areaOf(line.text, line.where)), 0) << line.text;
        const ocr::Reading reading =
            ocr::readLine(cutOut(frame, line.text, line.where), kStatusLetters);
        EXPECT_EQ(closedUpColons(reading.text), line.text) << qPrintable(reading.error);
    }
}

// The list is recorded right after text of another colour, in the colour
// that ending that text restored (white, the default): Mesa then drew the
// list in the other colour while the text's colour was set outside glBegin.
TEST_F(GlyphTextTest, DrawsTheSameBytesTwiceAndFromADisplayList)
{
    const Placement where = acrossPixelFrame(14);
    const QImage first = canvas.drawn("TARGETS 12", where, kWhite);
    EXPECT_TRUE(canvas.drawn("TARGETS 12", where, kWhite) == first);
    canvas.drawn("TARGETS 12", where, kTextGreen);
    DisplayList list;
    GlyphText(canvas.atlas).record(list, "TARGETS 12", where, kWhite);
    TextCanvas::clear();
    list.call();
    EXPECT_TRUE(canvas.gl.image() == first);
}

// Full coverage shows the caller's colour itself: large, the strokes have
// texels of full coverage at their middles.
TEST_F(GlyphTextTest, ColoursTheTextWithTheCallersColour)
{
    const QImage frame = canvas.drawn("HITS 34", acrossPixelFrame(kLargeHeight), kAlarmRed);
    QRgb reddest = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (qRed(frame.pixel(x, y)) > qRed(reddest))
                reddest = frame.pixel(x, y);
    EXPECT_NEAR(qRed(reddest), 255 * kAlarmRed[0], kColourTolerance);
    EXPECT_NEAR(qGreen(reddest), 255 * kAlarmRed[1], kColourTolerance);
    EXPECT_NEAR(qBlue(reddest), 255 * kAlarmRed[2], kColourTolerance);
}

TEST_F(GlyphTextTest, LeavesTheStateAsItFoundIt)
{
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    const GLenum queries[] = {GL_TEXTURE_BINDING_2D, GL_TEXTURE_2D,      GL_LIGHTING,
                              GL_CULL_FACE,          GL_BLEND,           GL_BLEND_SRC,
                              GL_BLEND_DST,          GL_DEPTH_WRITEMASK, GL_POLYGON_OFFSET_FILL};
    auto state = [&] {
        std::vector<GLfloat> values;
        for (const GLenum query : queries) {
            GLfloat value = 0;
            glGetFloatv(query, &value);
            values.push_back(value);
        }
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        values.push_back(GLfloat(mode));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        values.insert(values.end(), colour, colour + 4);
        return values;
    };
    const std::vector<GLfloat> before = state();
    GlyphText(canvas.atlas).draw("AGE 0.1 S", acrossPixelFrame(14), kTextGreen);
    EXPECT_EQ(state(), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(1, &other);
}

// Text in a surface's own plane shows over it, and writes no depth: what is
// drawn behind it afterwards still covers it.
TEST_F(GlyphTextTest, ShowsOnItsSurfaceAndWritesNoDepth)
{
    auto drawSurface = [] {
        glDisable(GL_TEXTURE_2D);
        glColor3f(0.5f, 0.5f, 0.5f);
        glRectd(0.0, 0.0, kPixelFrame.width(), kPixelFrame.height());
    };
    glEnable(GL_DEPTH_TEST);
    drawSurface();
    const QImage bare = canvas.gl.image();
    GlyphText(canvas.atlas).draw("12:34:56", acrossPixelFrame(20), kTextGreen);
    EXPECT_FALSE(canvas.gl.image() == bare);
    glDepthFunc(GL_LEQUAL);
    drawSurface();
    EXPECT_TRUE(canvas.gl.image() == bare);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
}

TEST(GlyphTextPlacementTest, AlignsTheBaselineToItsOrigin)
{
    const struct {
        Align align;
        double leftEnd; // the left end's distance from the origin along the text, in widths
    } cases[] = {{Align::Left, 0.0}, {Align::Centre, -0.5}, {Align::Right, -1.0}};
    const double height = 0.2;
    const double width = GlyphText::width("ZONE 4", height);
    EXPECT_NEAR(width, 6 * panelfont::kAdvance * height / panelfont::kCapHeight, 1e-12);
    for (const auto &c : cases) {
        // Along -z with up +x, in a plane away from the origin: no axis is special.
        const Placement where{{1.0, 2.0, 3.0}, {0.0, 0.0, -5.0}, {2.0, 0.0, 0.0}, height, c.align};
        const auto corners = GlyphText::corners("ZONE 4", where);
        const double descent =
            (panelfont::kBoxTop + panelfont::kBoxHeight - panelfont::kInkBaseline) * height /
            panelfont::kCapHeight;
        EXPECT_NEAR(corners[0].z, 3.0 - c.leftEnd * width, 1e-12);
        EXPECT_NEAR(corners[1].z, corners[0].z - width, 1e-12);
        EXPECT_NEAR(corners[0].x, 1.0 - descent, 1e-12);
        EXPECT_GT(corners[3].x, 1.0 + height);
        EXPECT_DOUBLE_EQ(corners[0].y, 2.0);
    }
}

} // namespace
