// The view keeps its fixed scene (the station and the screen), restores it
// each frame where the frames since its back buffer's drew, and draws the
// sweep only where it can change pixels; the frames must be those of the
// scene drawn whole, at the display scale this program runs at
// (VIEW_TEST_SCALE, which its test environment sets through QT_SCALE_FACTOR,
// fractional ones among them).
#include "glview.h"
#include "glwidget.h"
#include "monitortexts.h"
#include "radardriver.h"
#include "zonewatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace
{

const int kViewSize = 640; // logical pixels
const int kSmallViewWidth = 150;
const int kSmallViewHeight = 100;
constexpr double kFullTurnDeg = 360.0;
constexpr double kBeamStepDeg = 7.25;

class KeptView : public ReadableView<GLWidget>
{
public:
    using ReadableView<GLWidget>::ReadableView;
    using GLWidget::resizeGL;
};

QSize viewport()
{
    GLint box[4] = {};
    glGetIntegerv(GL_VIEWPORT, box);
    return QSize(box[2], box[3]);
}

// A view as the client runs it and one that draws its whole scene every
// frame, as the environment variable asks for, of one logic.
class KeptSceneTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver.isConnected());
        whole = makeWholeView<KeptView>(&driver.logic);
        ASSERT_TRUE(driver.sendSpreadTargets());
    }

    bool showBoth(QSize size) { return kept.showAt(size) && whole->showAt(size); }

    // Both views draw the beam at this angle; true when their frames are the
    // same. The frames stay to be read, and are then swapped, so that the
    // next frame starts from the buffers a swap leaves.
    bool drawBoth(double beam)
    {
        driver.turnBeamTo(beam);
        driver.update(0.1);
        // The monitors' words change every other frame.
        const PanelTexts texts = sampleMonitorTexts(++frames / 2, alarm);
        kept.setPanelTexts(texts);
        whole->setPanelTexts(texts);
        kept.updateGL();
        whole->updateGL();
        const bool same = kept.grabFrameBuffer() == whole->grabFrameBuffer();
        kept.swapBuffers();
        whole->swapBuffers();
        return same;
    }

    RadarDriver driver;
    KeptView kept{&driver.logic};
    std::unique_ptr<KeptView> whole;
    int frames = 0;
    bool alarm = false; // what the zones' monitor says
};

} // namespace

TEST_F(KeptSceneTest, FramesAreThoseOfTheWholeSceneByteForByteInDevicePixels)
{
    // The sweep is cut to its visible part, which turns with it: all round,
    // at sizes that sample different mipmap levels.
    std::vector<double> beams;
    for (double beam = 0.0; beam <= kFullTurnDeg; beam += kBeamStepDeg)
        beams.push_back(beam);
    // The odd size makes the device size fractional at scales 1.25 and 1.5.
    for (const QSize size : {QSize(kViewSize, kViewSize), QSize(kViewSize, kViewSize / 2),
                             QSize(kSmallViewWidth, kSmallViewHeight),
                             QSize(kSmallViewWidth + 1, kSmallViewHeight + 1)}) {
        ASSERT_TRUE(showBoth(size));
        ASSERT_EQ(kept.devicePixelRatioF(), VIEW_TEST_SCALE);
        for (const double beam : beams) {
            EXPECT_TRUE(drawBoth(beam))
                << "beam " << beam << " at " << size.width() << "x" << size.height() << ", "
                << driver.logic.hits()->size() << " hits";
            EXPECT_TRUE(kept.keepsFixedScene()) << "beam " << beam;
            EXPECT_FALSE(whole->keepsFixedScene());
            EXPECT_EQ(viewport(), size * VIEW_TEST_SCALE);
            EXPECT_EQ(kept.grabFrameBuffer().size(), size * VIEW_TEST_SCALE);
        }
    }
    EXPECT_GT(driver.logic.hits()->size(), 0u);
}

// Full screen, the window system may size the window only after the widget
// has been told its new size; the view must follow what the window system
// did, at a fractional scale too.
TEST_F(KeptSceneTest, FullScreenFramesAreThoseOfTheWholeScene)
{
    ASSERT_TRUE(kept.showFullScreen() && whole->showFullScreen());
    for (const double beam : {10.0, 100.0, 190.0}) {
        EXPECT_TRUE(drawBoth(beam)) << "beam " << beam;
    }
    EXPECT_TRUE(kept.keepsFixedScene());
}

// Whether a swap keeps the window's buffers is the driver's choice. Where the
// pixels are gone by the next frame, the view must restore the whole scene.
TEST_F(KeptSceneTest, BuffersLostBetweenFramesAreRestoredWhole)
{
    const QSize size(kViewSize, kViewSize);
    ASSERT_TRUE(showBoth(size));
    // A resize makes the view store its scene again, and then check that the
    // buffers still hold the frame after the one that stored it when the next
    // frame begins.
    kept.makeCurrent();
    kept.resizeGL(size.width() * VIEW_TEST_SCALE, size.height() * VIEW_TEST_SCALE);
    for (int frame = 0; frame < 3 && !kept.keepsFixedScene(); ++frame)
        ASSERT_TRUE(drawBoth(5.0 + frame));
    ASSERT_TRUE(kept.keepsFixedScene());
    kept.makeCurrent();
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (const double beam : {10.0, 100.0, 190.0})
        EXPECT_TRUE(drawBoth(beam)) << "beam " << beam;
    EXPECT_TRUE(kept.keepsFixedScene());
}

// Guard zones: faint outlines and numbers kept with the screen, over it
// outlines blinking while in alarm and dashed once the signal is lost,
// markers in the alarm colour, and the monitors' alarm blinking with them.
// Over a turn the blink comes and goes four times, and every frame must
// still be the whole scene's.
TEST_F(KeptSceneTest, FramesWithGuardZonesInAlarmOrUnknownAreThoseOfTheWholeScene)
{
    std::ostringstream lines;
    ZoneWatch zones(
        {{1, 0.0, 360.0, 0.5, 0.8}, {2, 200.0, 300.0, 0.0, 1.0}, {3, 20.0, 60.0, 0.2, 0.4}}, lines,
        nullptr);
    driver.logic.watchZones(&zones);
    // Targets at wire coordinates that put the first two zones in alarm.
    Hit hit{0.0f, 0.0f, 0.0f};
    zones.targetHit(0.5f, 0.2f, 0.0f, hit);
    zones.targetHit(0.2f, 0.6f, 250.0f, hit);
    ASSERT_TRUE(zones.isInAlarm(0) && zones.isInAlarm(1) && !zones.isInAlarm(2));
    alarm = true; // blinking with the outlines
    kept.showZones(&zones);
    whole->showZones(&zones);
    ASSERT_TRUE(showBoth(QSize(kViewSize, kViewSize)));
    for (double beam = 0.0; beam <= kFullTurnDeg; beam += kBeamStepDeg) {
        if (beam >= kFullTurnDeg / 2 && zones.isInAlarm(0)) {
            driver.logic.watchZones(nullptr);
            zones.signalLost();
        }
        EXPECT_TRUE(drawBoth(beam)) << "beam " << beam;
    }
    EXPECT_TRUE(kept.keepsFixedScene());
    EXPECT_EQ(zones.state(0), ZoneWatch::State::Unknown);
    EXPECT_GT(driver.logic.hits()->size(), 0u);
}
