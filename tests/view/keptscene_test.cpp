// The view keeps its fixed scene (the station and the screen) and restores it
// each frame, and draws the sweep only where it can change pixels; the frames
// must be those of the scene drawn whole, at the display scale this program
// runs at (VIEW_TEST_SCALE, which its test environment sets through
// QT_SCALE_FACTOR).
#include "glview.h"
#include "glwidget.h"
#include "radardriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

const int kViewSize = 640; // logical pixels
const int kSmallViewWidth = 150;
const int kSmallViewHeight = 100;
constexpr double kFullTurnDeg = 360.0;
constexpr double kBeamStepDeg = 7.25;

using KeptView = ReadableView<GLWidget>;

// A view that draws its whole scene every frame, as the environment variable
// asks for.
std::unique_ptr<KeptView> wholeSceneView(Logic *logic)
{
    qputenv("RADAR_SCENE_CACHE", "0");
    auto view = std::make_unique<KeptView>(logic);
    qunsetenv("RADAR_SCENE_CACHE");
    return view;
}

QSize viewport()
{
    GLint box[4] = {};
    glGetIntegerv(GL_VIEWPORT, box);
    return QSize(box[2], box[3]);
}

} // namespace

TEST(KeptSceneTest, FramesAreThoseOfTheWholeSceneByteForByteInDevicePixels)
{
    RadarDriver driver;
    ASSERT_TRUE(driver.isConnected());
    KeptView kept(&driver.logic);
    const std::unique_ptr<KeptView> whole = wholeSceneView(&driver.logic);
    // Targets at several bearings, hit at different times, so that the
    // markers differ in place and in alpha and some overlap the sweep.
    ASSERT_TRUE(driver.sendTargets(
        {{0.95f, 0.6f, 1}, {0.2f, 0.75f, 1}, {0.5f, 0.9f, 1}, {0.52f, 0.88f, 1}, {0.1f, 0.2f, 1}}));
    // The sweep is cut to its visible part, which turns with it: every 10
    // degrees and between, at sizes that sample different mipmap levels.
    std::vector<double> beams;
    for (double beam = 0.0; beam <= kFullTurnDeg; beam += kBeamStepDeg)
        beams.push_back(beam);
    for (const QSize size : {QSize(kViewSize, kViewSize), QSize(kViewSize, kViewSize / 2),
                             QSize(kSmallViewWidth, kSmallViewHeight)}) {
        ASSERT_TRUE(kept.showAt(size) && whole->showAt(size));
        ASSERT_EQ(kept.devicePixelRatio(), VIEW_TEST_SCALE);
        const QSize devicePixels = size * VIEW_TEST_SCALE;
        for (const double beam : beams) {
            driver.turnBeamTo(beam);
            driver.update(0.1);
            kept.updateGL();
            EXPECT_EQ(viewport(), devicePixels);
            whole->updateGL();
            EXPECT_TRUE(kept.keepsFixedScene()) << "beam " << beam;
            EXPECT_FALSE(whole->keepsFixedScene());
            const QImage frame = kept.grabFrameBuffer();
            EXPECT_EQ(frame.size(), devicePixels);
            EXPECT_TRUE(frame == whole->grabFrameBuffer())
                << "beam " << beam << " at " << size.width() << "x" << size.height() << ", "
                << driver.logic.hits()->size() << " hits";
        }
    }
    EXPECT_GT(driver.logic.hits()->size(), 0u);
}
