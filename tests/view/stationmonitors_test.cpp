// The station's monitors as a person reads them: the view's own frame at the
// client's usual screen sizes, at the display scale this program runs at
// (VIEW_TEST_SCALE), each monitor's lines cut out upright along the view's
// projection, and read back with OCR.
#include "displaylayout.h"
#include "glview.h"
#include "glwidget.h"
#include "monitortexts.h"
#include "ocr.h"
#include "radardriver.h"
#include "scenecamera.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>

namespace
{

// The upright picture of a monitor has this many pixels a scene unit.
constexpr double kPixelsPerSceneUnit = 600.0;
// Ink is a saturated colour, bright enough; a few pixels around it go with it.
constexpr int kInkSaturation = 80;
constexpr int kInkBrightness = 110;
constexpr int kInkPadding = 12;

// Tesseract puts a space beside a colon at some sizes: the monospaced colon
// leaves room on both sides.
QString withoutSpacesByColons(QString text)
{
    return text.replace(QRegularExpression(" ?: ?"), ":");
}

// The part of image that holds coloured ink (green or red text, not the grey
// of the housing, which hides a monitor's corner), and a few pixels around.
QImage cutToInk(const QImage &image)
{
    int first = image.width(), last = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int most = std::max({c.red(), c.green(), c.blue()});
            const int least = std::min({c.red(), c.green(), c.blue()});
            if (most - least > kInkSaturation && most > kInkBrightness) {
                first = std::min(first, x);
                last = std::max(last, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (last < 0)
        return image;
    // Within the picture: a black border would read as a stroke.
    const QRect ink = QRect(QPoint(first, top), QPoint(last, bottom))
                          .adjusted(-kInkPadding, -kInkPadding, kInkPadding, kInkPadding)
                          .intersected(image.rect());
    return image.copy(ink);
}

// The upper or lower half of monitor's screen, upright, cut to its ink.
QImage lineOf(const QImage &frame, int monitor, int line)
{
    const display::Section section = display::housingSection();
    const display::FaceRect screen = display::screenWithin(display::bezels()[size_t(monitor)]);
    const double middle = (screen.low + screen.high) / 2;
    const double top = line == 0 ? screen.high : middle;
    const double bottom = line == 0 ? middle : screen.low;
    const auto at = [&](double x, double along) {
        return imageOfScenePoint(display::onFace(section, x, along, display::kScreenProud),
                                 frame.size());
    };
    const QSize size(int((screen.x1 - screen.x0) * kPixelsPerSceneUnit),
                     int((top - bottom) * kPixelsPerSceneUnit));
    return cutToInk(ocr::rectify(
        frame,
        {at(screen.x0, top), at(screen.x1, top), at(screen.x1, bottom), at(screen.x0, bottom)},
        size));
}

} // namespace

TEST(StationMonitorsTest, EveryLineReadsBackAt1280x1024AndAt800x600)
{
    const PanelTexts texts = sampleMonitorTexts(1, true);
    // Device pixels, on the display's scale that the test program runs at.
    for (const QSize device : {QSize(1280, 1024), QSize(800, 600)}) {
        const QSize size = (QSizeF(device) / VIEW_TEST_SCALE).toSize();
        RadarDriver driver;
        ReadableView<GLWidget> view(&driver.logic);
        ASSERT_TRUE(driver.isConnected() && view.showAt(size));
        view.setPanelTexts(texts);
        view.updateGL();
        view.updateGL();
        const QImage frame = view.grabFrameBuffer();
        view.makeCurrent();
        for (int monitor = 0; monitor < PanelTexts::kPanels; ++monitor) {
            for (int line = 0; line < PanelTexts::kLines; ++line) {
                const QString words = texts.lines[size_t(monitor)][size_t(line)];
                const ocr::Reading reading = ocr::readLine(lineOf(frame, monitor, line));
                ASSERT_TRUE(reading.error.isEmpty()) << reading.error.toStdString();
                EXPECT_EQ(withoutSpacesByColons(reading.text).toStdString(), words.toStdString())
                    << device.width() << "x" << device.height() << ", monitor " << monitor;
            }
        }
    }
}
