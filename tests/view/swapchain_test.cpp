// The view over window buffers that a swap keeps and over buffers that it
// flips between two or three, with and without an age that the window system
// reports: every frame must be the frame of the scene drawn whole, byte for
// byte, through what changes the buffers under the view (a start with the
// signal lost, a resize, an expose, pixels lost without an expose, a switch
// from kept to flipped buffers).
#include "glview.h"
#include "glwidget.h"
#include "loopbackserver.h"
#include "monitortexts.h"
#include "radardriver.h"
#include "swapchain.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace
{

const QSize kViewSize(320, 240); // logical pixels
const QSize kResizedViewSize(256, 320);
constexpr double kFullTurnDeg = 360.0;
constexpr double kBeamStepDeg = 9.5;
constexpr double kFrameSeconds = 0.02;
constexpr int kFramesWithoutSignal = 6;

// The view drawing into a swap chain of its own instead of the window's
// buffers.
class ChainedView : public GLWidget
{
public:
    ChainedView(Logic *logic, int chainLength, bool reportsAge)
        : GLWidget(logic), length(chainLength), reportsAge(reportsAge)
    {
        setAutoBufferSwap(false);
    }
    ~ChainedView() override
    {
        makeCurrent();
        chain.reset();
    }

    using GLWidget::keepsFixedScene;

    void setChainLength(int chainLength)
    {
        makeCurrent();
        length = chainLength;
        chain->resize(length, deviceSize);
    }

    void loseBackPixels()
    {
        makeCurrent();
        chain->loseBackPixels();
    }

    int paints() const { return paintCount; }

    QImage shownFrame()
    {
        makeCurrent();
        return chain->shown();
    }

protected:
    void resizeGL(int width, int height) override
    {
        GLWidget::resizeGL(width, height);
        deviceSize = QSize(width, height);
        chain->resize(length, deviceSize);
    }

    void paintGL() override
    {
        chain->bindBack();
        GLWidget::paintGL();
        chain->swap();
        ++paintCount;
    }

    std::optional<int> reportedBufferAge() const override
    {
        return reportsAge ? std::optional<int>(chain->backAge()) : std::nullopt;
    }

private:
    std::unique_ptr<SwapChain> chain = std::make_unique<SwapChain>();
    int length;
    const bool reportsAge;
    QSize deviceSize;
    int paintCount = 0;
};

enum class Sequence { kSignalAfterStart, kResize, kExpose, kPixelsLost, kKeptThenFlipped };

struct Case {
    int chainLength; // 1: a swap keeps the buffers
    bool ageReported;
    Sequence sequence;
};

std::ostream &operator<<(std::ostream &out, const Case &c)
{
    const char *const sequences[] = {"signal after start", "resize", "expose", "pixels lost",
                                     "kept then flipped"};
    return out << "chain of " << c.chainLength << (c.ageReported ? ", age" : ", no age") << ", "
               << sequences[int(c.sequence)];
}

class SwapChainTest : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver.isConnected());
        const Case c = GetParam();
        kept = std::make_unique<ChainedView>(
            &driver.logic, c.sequence == Sequence::kKeptThenFlipped ? 1 : c.chainLength,
            c.ageReported);
        whole = makeWholeView<ChainedView>(&driver.logic, 1, false);
        ASSERT_TRUE(driver.sendSpreadTargets());
    }

    bool showBoth(QSize size)
    {
        return glview::showAt(*kept, size) && glview::showAt(*whole, size);
    }

    void setSignalLost(bool lost)
    {
        kept->setSignalLost(lost);
        whole->setSignalLost(lost);
    }

    bool framesAgree() { return kept->shownFrame() == whole->shownFrame(); }

    // The monitors' words change now and then, so that they are drawn anew
    // in the kept scene in buffers of every age.
    bool drawBoth()
    {
        const PanelTexts texts = sampleMonitorTexts(++frames / 3, false);
        kept->setPanelTexts(texts);
        whole->setPanelTexts(texts);
        kept->updateGL();
        whole->updateGL();
        return framesAgree();
    }

    // Hidden and shown again, the view paints because the window system asks
    // it to.
    static bool exposeAgain(ChainedView &view)
    {
        const int paints = view.paints();
        return glview::exposeAgain(view) && waitUntil([&] { return view.paints() > paints; });
    }

    // What happens to the buffers half way round.
    bool disturb(Sequence sequence)
    {
        switch (sequence) {
        case Sequence::kResize:
            return showBoth(kResizedViewSize);
        case Sequence::kExpose:
            kept->loseBackPixels();
            return exposeAgain(*kept) && exposeAgain(*whole) && framesAgree();
        case Sequence::kPixelsLost:
            // The next frame is asked for, not exposed: without an age, only
            // the tag's pixels can tell that its stencil outlived the rest.
            kept->loseBackPixels();
            return true;
        case Sequence::kKeptThenFlipped:
            kept->setChainLength(GetParam().chainLength);
            return true;
        case Sequence::kSignalAfterStart:
            break;
        }
        return true;
    }

    RadarDriver driver;
    std::unique_ptr<ChainedView> kept;
    std::unique_ptr<ChainedView> whole;
    int frames = 0;
};

TEST_P(SwapChainTest, EveryFrameIsTheWholeScenesByteForByte)
{
    const Case c = GetParam();
    const bool signalLate = c.sequence == Sequence::kSignalAfterStart;
    // Lost before the first frame, as when the client starts before its
    // server: the frames stand still and are all alike.
    setSignalLost(signalLate);
    ASSERT_TRUE(showBoth(kViewSize));
    for (int frame = 0; signalLate && frame < kFramesWithoutSignal; ++frame) {
        EXPECT_TRUE(drawBoth()) << "frame " << frame << " without signal";
    }
    setSignalLost(false);
    const int steps = int(kFullTurnDeg / kBeamStepDeg) + 1;
    size_t mostHits = 0;
    for (int step = 0; step <= steps; ++step) {
        if (step == steps / 2) {
            ASSERT_TRUE(disturb(c.sequence)) << "half way round";
        }
        driver.turnBeamTo(step * kBeamStepDeg);
        driver.update(kFrameSeconds);
        mostHits = std::max(mostHits, driver.logic.hits()->size());
        EXPECT_TRUE(drawBoth()) << "step " << step << ", " << driver.logic.hits()->size()
                                << " hits";
    }
    EXPECT_GT(mostHits, 0u);
    EXPECT_TRUE(kept->keepsFixedScene());
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (const int length : {1, 2, 3})
        for (const bool age : {true, false})
            for (const Sequence sequence :
                 {Sequence::kSignalAfterStart, Sequence::kResize, Sequence::kExpose,
                  Sequence::kPixelsLost, Sequence::kKeptThenFlipped})
                cases.push_back({length, age, sequence});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Chains, SwapChainTest, testing::ValuesIn(allCases()));

} // namespace
