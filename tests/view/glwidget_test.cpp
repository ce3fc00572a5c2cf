#include "clientfolder.h"
#include "glview.h"
#include "glwidget.h"
#include "light.h"
#include "offscreengl.h"
#include "radardriver.h"
#include "radargeometry.h"
#include "scenecamera.h"
#include "scenelayout.h"
#include "zonewatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

namespace
{

const int kViewSize = 640; // pixels, square unless a test resizes

// From a marker's centre to a point on its badge, clear of the figure.
const double kBadgeProbeOffset = 0.1;

// A wire coordinate of a target in [0, 1] and where the logic puts it.
struct TargetAt {
    float x;
    float y;
    double sceneX() const { return radargeometry::sceneOfWire(x); }
    double sceneY() const { return radargeometry::sceneOfWire(y); }
    double bearing() const { return radargeometry::bearingOf(sceneX(), sceneY()); }
};

// Both on the near half of the screen, which the camera sees whole.
const TargetAt kEast{0.95f, 0.6f};      // bearing 102.5, right
const TargetAt kSouthWest{0.2f, 0.75f}; // bearing 230.2, near left

class ViewUnderTest : public ReadableView<GLWidget>
{
public:
    using ReadableView<GLWidget>::ReadableView;
    using GLWidget::initializeGL;
    using GLWidget::resizeGL;
};

// A real logic on a loopback server, and a view of it shown on screen.
struct Scene {
    bool ready() { return view.showAt(QSize(kViewSize, kViewSize)) && driver.isConnected(); }

    // Frames are drawn twice, so that the second starts from the colour the
    // first left behind, as every frame of the running client does.
    QImage render()
    {
        view.updateGL();
        view.updateGL();
        return view.grabFrameBuffer();
    }

    // The logic hits target t, then the beam moves on to parkAngle and the hit
    // ages until life seconds are left.
    void makeHit(TargetAt t, float life, double parkAngle)
    {
        ASSERT_TRUE(driver.sendTargets({{t.x, t.y, 1}}));
        driver.turnBeamTo(t.bearing());
        driver.update(0.0);
        ASSERT_EQ(driver.logic.hits()->size(), 1u);
        driver.turnBeamTo(parkAngle);
        driver.update(2.0 - life);
        ASSERT_EQ(driver.logic.hits()->size(), 1u);
        ASSERT_FLOAT_EQ(driver.logic.hits()->front().life, life);
    }

    RadarDriver driver;
    ViewUnderTest view{&driver.logic};
};

class GLWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(Light::registeredCount(), 0); }

    // Image position (top row 0) of a scene point seen by the view's camera
    // in a view of the given size.
    static QPointF project(ViewUnderTest &view, double x, double y, double z, int width, int height)
    {
        view.makeCurrent();
        return imageOfScenePoint({x, y, z}, QSize(width, height));
    }

    static QPointF projectOnSweep(ViewUnderTest &view, double bearing, double radius)
    {
        const double a = bearing * M_PI / radargeometry::kHalfTurnDeg;
        return project(view, radius * std::sin(a), scene::kSweepHeight,
                       scene::kScreenCentreZ - radius * std::cos(a), kViewSize, kViewSize);
    }

    // Centre of the box round the pixels within reach of near that differ
    // between two images.
    static QPointF centreOfChange(const QImage &a, const QImage &b, QPointF near, int reach)
    {
        QRect box;
        for (int y = int(near.y()) - reach; y <= int(near.y()) + reach; ++y) {
            for (int x = int(near.x()) - reach; x <= int(near.x()) + reach; ++x) {
                if (a.valid(x, y) && difference(a.pixelColor(x, y), b.pixelColor(x, y)) > 40)
                    box |= QRect(x, y, 1, 1);
            }
        }
        return QRectF(box).center();
    }

    static int difference(const QColor &a, const QColor &b)
    {
        return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                         std::abs(a.blue() - b.blue())});
    }

    static QColor at(const QImage &image, QPointF p) { return image.pixelColor(p.toPoint()); }
};

// Shown on its own, the view opens as a square of 400 pixels. In a window
// laid out as the client lays it out, it is never squeezed below 50 x 50, so
// that no layout hands the projection a zero height.
TEST_F(GLWidgetTest, OpensAt400SquareAndALayoutKeepsItAtLeast50Square)
{
    RadarDriver driver;
    {
        GLWidget alone(&driver.logic);
        alone.show();
        EXPECT_EQ(alone.size(), QSize(400, 400));
    }
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *view = new GLWidget(&driver.logic);
    layout->addWidget(view);
    window.resize(1, 1);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->size(), QSize(50, 50));
}

TEST_F(GLWidgetTest, BeamEdgeLiesOverATargetWhenTheBeamPointsAtItsBearing)
{
    for (const TargetAt target : {kEast, kSouthWest}) {
        Scene scene;
        ASSERT_TRUE(scene.ready());
        ASSERT_TRUE(scene.driver.sendTargets({{target.x, target.y, 1}}));
        const double radius = std::hypot(target.sceneX(), target.sceneY());
        scene.driver.turnBeamTo(target.bearing());
        const QImage onTarget = scene.render();
        scene.driver.turnBeamTo(std::fmod(target.bearing() + 180.0, 360.0));
        const QImage away = scene.render();

        const QPointF edge = project(scene.view, target.sceneX(), scene::kSweepHeight,
                                     scene::kScreenCentreZ + target.sceneY(), kViewSize, kViewSize);
        EXPECT_GT(at(onTarget, edge).green() - at(away, edge).green(), 80)
            << "bearing " << target.bearing();
        // The afterglow trails behind the edge; ahead of it the screen is bare.
        const QPointF behind = projectOnSweep(scene.view, target.bearing() - 12.0, radius);
        const QPointF ahead = projectOnSweep(scene.view, target.bearing() + 12.0, radius);
        EXPECT_GT(at(onTarget, behind).green() - at(away, behind).green(), 30)
            << "bearing " << target.bearing();
        EXPECT_LT(difference(at(onTarget, ahead), at(away, ahead)), 8)
            << "bearing " << target.bearing();
    }
}

TEST_F(GLWidgetTest, HitMarkerIsCentredOnTheHitsScenePoint)
{
    const double park = 140.0;
    Scene hit, elsewhere;
    ASSERT_TRUE(hit.ready() && elsewhere.ready());
    hit.makeHit(kEast, 2.0f, park);
    elsewhere.makeHit(kSouthWest, 2.0f, park);
    const QImage withMarker = hit.render();
    const QImage without = elsewhere.render();

    const QPointF expected = project(hit.view, kEast.sceneX(), scene::kMarkerHeight,
                                     scene::kScreenCentreZ + kEast.sceneY(), kViewSize, kViewSize);
    const QPointF found = centreOfChange(withMarker, without, expected, 40);
    EXPECT_NEAR(found.x(), expected.x(), 2.0);
    EXPECT_NEAR(found.y(), expected.y(), 2.0);
}

TEST_F(GLWidgetTest, MarkerIsOpaqueAtLife2AndQuarterAlphaAtLifeHalf)
{
    // Parked ahead of the hit, so that no afterglow lies under the marker.
    const double park = 60.0;
    Scene opaque, faded, elsewhere;
    ASSERT_TRUE(opaque.ready() && faded.ready() && elsewhere.ready());
    opaque.makeHit(kEast, 2.0f, park);
    faded.makeHit(kEast, 0.5f, park);
    elsewhere.makeHit(kSouthWest, 0.5f, park);
    // A point on the marker's badge, beside the figure in its middle.
    const QPointF probe =
        project(faded.view, kEast.sceneX() + kBadgeProbeOffset, scene::kMarkerHeight,
                scene::kScreenCentreZ + kEast.sceneY(), kViewSize, kViewSize);
    const QColor marker = at(opaque.render(), probe);
    const QColor blended = at(faded.render(), probe);
    const QColor under = at(elsewhere.render(), probe);

    ASSERT_GT(difference(marker, under), 60) << "the marker must stand out to be measured";
    const auto quarter = [](int top, int bottom) { return 0.25 * top + 0.75 * bottom; };
    EXPECT_NEAR(blended.red(), quarter(marker.red(), under.red()), 3.0);
    EXPECT_NEAR(blended.green(), quarter(marker.green(), under.green()), 3.0);
    EXPECT_NEAR(blended.blue(), quarter(marker.blue(), under.blue()), 3.0);
}

TEST_F(GLWidgetTest, ResizeChangesOnlyTheViewport)
{
    const double park = 140.0;
    Scene hit, elsewhere;
    ASSERT_TRUE(hit.ready() && elsewhere.ready());
    hit.makeHit(kEast, 2.0f, park);
    elsewhere.makeHit(kSouthWest, 2.0f, park);
    const int width = kViewSize, height = kViewSize / 2;
    for (Scene *scene : {&hit, &elsewhere}) {
        scene->view.resize(width, height);
        QCoreApplication::processEvents();
    }
    const QImage withMarker = hit.render();
    const QImage without = elsewhere.render();

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(QRect(viewport[0], viewport[1], viewport[2], viewport[3]),
              QRect(0, 0, width, height));
    const QPointF expected = project(hit.view, kEast.sceneX(), scene::kMarkerHeight,
                                     scene::kScreenCentreZ + kEast.sceneY(), width, height);
    const QPointF found = centreOfChange(withMarker, without, expected, 40);
    EXPECT_NEAR(found.x(), expected.x(), 2.0);
    EXPECT_NEAR(found.y(), expected.y(), 2.0);
}

TEST_F(GLWidgetTest, MultisampledWindowDrawsTheWholeSceneAndSaysSoOnce)
{
    RadarDriver driver;
    bool gotSamples = false;
    testing::internal::CaptureStderr();
    {
        const glview::MultisampledViews multisampled;
        ViewUnderTest view(&driver.logic);
        gotSamples = view.showAt(QSize(kViewSize, kViewSize)) && glview::isMultisampled(view);
        for (int frame = 0; frame < 3; ++frame)
            view.updateGL();
        EXPECT_FALSE(view.keepsFixedScene());
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    if (!gotSamples)
        GTEST_SKIP() << "no multisampled window here";
    const std::string message =
        "radar-client: the window is multisampled; the whole scene is drawn every frame\n";
    EXPECT_EQ(errors.find(message), errors.rfind(message)) << errors;
    EXPECT_NE(errors.find(message), std::string::npos) << errors;
}

TEST_F(GLWidgetTest, ZeroHeightLeavesAFiniteProjection)
{
    Scene scene;
    ASSERT_TRUE(scene.ready());
    scene.view.makeCurrent();
    scene.view.resizeGL(kViewSize, 0);
    GLdouble proj[16];
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    for (GLdouble element : proj)
        EXPECT_TRUE(std::isfinite(element));
}

// While the signal is lost the sweep stands where it was and a mark lies on
// the screen's centre; when it is back the frame is the normal one again.
TEST_F(GLWidgetTest, LostSignalShowsAMarkOverAStandingSweepUntilItIsBack)
{
    Scene scene, reference;
    ASSERT_TRUE(scene.ready() && reference.ready());
    scene.driver.turnBeamTo(60.0);
    const QImage before = scene.render();
    scene.view.setSignalLost(true);
    scene.driver.turnBeamTo(150.0);
    const QImage lost = scene.render();
    scene.view.setSignalLost(false);
    const QImage back = scene.render();
    reference.driver.turnBeamTo(150.0);

    QRect mark;
    for (const double dx : {-0.5, 0.5})
        for (const double dz : {-0.5, 0.5})
            mark |= QRect(project(scene.view, scene::kScreenCentreX + dx * scene::kNoSignalWidth,
                                  scene::kNoSignalHeight,
                                  scene::kScreenCentreZ + dz * scene::kNoSignalDepth, kViewSize,
                                  kViewSize)
                              .toPoint(),
                          QSize(1, 1));
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < lost.height(); ++y)
        for (int x = 0; x < lost.width(); ++x) {
            const bool changed = lost.pixel(x, y) != before.pixel(x, y);
            if (mark.adjusted(2, 2, -2, -2).contains(x, y))
                changedInside += changed;
            else if (!mark.adjusted(-2, -2, 2, 2).contains(x, y))
                changedOutside += changed;
        }
    // The mark, seen at an angle, fills about a third of its bounding box.
    EXPECT_GT(changedInside, mark.width() * mark.height() / 4);
    EXPECT_EQ(changedOutside, 0) << "the sweep moved, or the mark spread";
    EXPECT_TRUE(back == reference.render());
}

// Qt initialises a view again when it gives it a new context.
TEST_F(GLWidgetTest, InitialisingAgainReplacesTheLightAndKeepsTheSceneCache)
{
    Scene scene;
    ASSERT_TRUE(scene.ready());
    scene.view.makeCurrent();
    scene.view.initializeGL();
    EXPECT_EQ(Light::registeredCount(), 1);
    scene.render();
    EXPECT_TRUE(scene.view.keepsFixedScene());
}

TEST_F(GLWidgetTest, DestructionFreesListsAndLightInTheViewsOwnContext)
{
    OffscreenGL other;
    ASSERT_TRUE(other.isReady());
    auto scene = std::make_unique<Scene>();
    ASSERT_TRUE(scene->ready());
    ASSERT_EQ(Light::registeredCount(), 1);

    // Lists of the same names in another context, current when the view goes.
    ASSERT_TRUE(other.makeCurrent());
    const GLuint first = glGenLists(3);
    for (GLuint id = first; id < first + 3; ++id) {
        glNewList(id, GL_COMPILE);
        glEndList();
    }
    scene.reset();

    ASSERT_TRUE(other.makeCurrent());
    for (GLuint id = first; id < first + 3; ++id)
        EXPECT_TRUE(glIsList(id)) << "list " << id;
    EXPECT_EQ(Light::registeredCount(), 0);
}

TEST_F(GLWidgetTest, MissingTextureFilesAreReportedOnStandardError)
{
    // The models stay; a missing model would end the process instead.
    ClientFolder folder;
    ASSERT_TRUE(folder.removeTextures());
    folder.enter();
    testing::internal::CaptureStderr();
    {
        Scene scene;
        EXPECT_TRUE(scene.ready());
        scene.render();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const char *texture : {scene::kSweepTexture, scene::kMarkerTexture}) {
        const std::string path = std::string(scene::kTextureFolder) + texture;
        EXPECT_NE(errors.find(path), std::string::npos) << errors;
    }
}

} // namespace

namespace
{

// A zone on the near half of the screen that holds kEast (bearing 102.5,
// distance 0.92) and not kSouthWest; the beams that blink its outline bright
// and dim, both with the sweep far from it.
const GuardZone kNearEastZone{1, 80.0, 130.0, 0.3, 0.95};
constexpr double kBrightBlinkBeam = 300.0;
constexpr double kDimBlinkBeam = 330.0;

// A point of the screen at bearing degrees and zone distance d.
QPointF onScreen(ViewUnderTest &view, double bearing, double distance)
{
    const double radius = distance * scene::kScenePerZoneDistance;
    const double a = bearing * M_PI / radargeometry::kHalfTurnDeg;
    view.makeCurrent();
    return imageOfScenePoint({scene::kScreenCentreX + radius * std::sin(a), scene::kScreenHeight,
                              scene::kScreenCentreZ - radius * std::cos(a)},
                             QSize(kViewSize, kViewSize));
}

// The colours most unlike other's within a pixel of each point of the zone's
// outer arc, from its start to its end in steps of 2 degrees: an outline two
// pixels wide lies there, give or take the projection's rounding.
std::vector<QColor> mostChangedAlongOuterArc(ViewUnderTest &view, const QImage &image,
                                             const QImage &other)
{
    std::vector<QColor> found;
    for (double bearing = kNearEastZone.from; bearing <= kNearEastZone.to; bearing += 2.0) {
        const QPoint p = onScreen(view, bearing, kNearEastZone.outer).toPoint();
        QColor most = image.pixelColor(p);
        int largest = -1;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QColor a = image.pixelColor(p + QPoint(dx, dy));
                const QColor b = other.pixelColor(p + QPoint(dx, dy));
                const int change = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green());
                if (change > largest) {
                    largest = change;
                    most = a;
                }
            }
        }
        found.push_back(most);
    }
    return found;
}

int countColours(const std::vector<QColor> &colours, const std::function<bool(QColor)> &is)
{
    return int(std::count_if(colours.begin(), colours.end(), is));
}

} // namespace

// Armed: faint green. In alarm: red in both halves of the blink, bright in
// one and dim in the other, never the armed green. Unknown: grey dashes.
TEST_F(GLWidgetTest, ZoneOutlinesAreFaintWhenArmedRedThroughTheBlinkInAlarmAndGreyWhenUnknown)
{
    std::ostringstream lines;
    ZoneWatch zones({kNearEastZone}, lines, nullptr);
    Scene plain, zoned;
    ASSERT_TRUE(plain.ready() && zoned.ready());
    zoned.view.showZones(&zones);
    for (Scene *scene : {&plain, &zoned})
        scene->driver.turnBeamTo(kBrightBlinkBeam);
    const QImage without = plain.render();
    const QImage armed = zoned.render();
    const QPointF inside = onScreen(zoned.view, 105.0, 0.6);
    EXPECT_EQ(at(armed, inside), at(without, inside));
    const auto isFaintGreen = [&](QColor c) { return c.green() > c.red() + 20; };
    const auto arc = [&](const QImage &image) {
        return mostChangedAlongOuterArc(zoned.view, image, without);
    };
    const int arcPoints = int(arc(armed).size());
    EXPECT_EQ(countColours(arc(armed), isFaintGreen), arcPoints);

    Hit hit{0.0f, 0.0f, 2.0f};
    zones.targetHit(kEast.x, kEast.y, float(kEast.bearing()), hit);
    ASSERT_TRUE(zones.isInAlarm(0));
    const auto isRed = [](QColor c, int least) {
        return c.red() >= least && c.red() > 2 * c.green();
    };
    const std::vector<QColor> bright = arc(zoned.render());
    zoned.driver.turnBeamTo(kDimBlinkBeam);
    const std::vector<QColor> dim = arc(zoned.render());
    EXPECT_EQ(countColours(bright, [&](QColor c) { return isRed(c, 200); }), arcPoints);
    EXPECT_EQ(countColours(dim, [&](QColor c) { return isRed(c, 100); }), arcPoints);
    EXPECT_EQ(countColours(dim, [&](QColor c) { return isRed(c, 200); }), 0) << "dim, not bright";

    zones.signalLost();
    const std::vector<QColor> unknown = arc(zoned.render());
    const auto isGrey = [](QColor c) {
        return c.red() > 120 && std::abs(c.red() - c.green()) < 30;
    };
    EXPECT_GT(countColours(unknown, isGrey), arcPoints / 4) << "dashes";
    EXPECT_LT(countColours(unknown, isGrey), arcPoints) << "with gaps";
}

TEST_F(GLWidgetTest, MarkersInsideAZoneInAlarmTakeTheAlarmColour)
{
    // Each logic needs zones of its own to follow its beam; both views show
    // the first, whose zone the hit inside puts in alarm.
    std::ostringstream lines;
    ZoneWatch zones({kNearEastZone}, lines, nullptr);
    ZoneWatch outsideZones({kNearEastZone}, lines, nullptr);
    Scene inside, outside;
    ASSERT_TRUE(inside.ready() && outside.ready());
    inside.driver.logic.watchZones(&zones);
    outside.driver.logic.watchZones(&outsideZones);
    inside.makeHit(kEast, 2.0f, kDimBlinkBeam);
    outside.makeHit(kSouthWest, 2.0f, kDimBlinkBeam);
    ASSERT_TRUE(zones.isInAlarm(0));
    const auto badge = [&](Scene &scene, TargetAt t) {
        return at(scene.render(),
                  project(scene.view, t.sceneX() + kBadgeProbeOffset, scene::kMarkerHeight,
                          scene::kScreenCentreZ + t.sceneY(), kViewSize, kViewSize));
    };
    const QColor insideBefore = badge(inside, kEast);
    const QColor outsideBefore = badge(outside, kSouthWest);
    for (Scene *scene : {&inside, &outside})
        scene->view.showZones(&zones);

    const QColor insideInAlarm = badge(inside, kEast);
    EXPECT_LT(insideInAlarm.green(), insideBefore.green() / 2) << "the alarm colour is red";
    EXPECT_GE(insideInAlarm.red(), insideBefore.red() - 30);
    EXPECT_EQ(badge(outside, kSouthWest), outsideBefore);
}
