// The real client on Qt's Wayland platform, on a Weston of its own nested in
// a private Xvfb (tests/support/with-weston.sh --nested): Weston's scene
// graph tells where the client's surfaces lie, and X tools see Weston's
// output and drive its pointer and keyboard.
#include "clientprocess.h"
#include "loopbackserver.h"
#include "westonscene.h"
#include "xscreen.h"

#include <QColor>
#include <QElapsedTimer>
#include <QRegion>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{

constexpr int kWindowWaitMs = 10000;
constexpr int kQuickEndMs = 5000;
constexpr int kKeyRepeatMs = 500;
constexpr int kSettleMs = 500; // Weston redraws its output after the pointer moved
// A time limit that only ends a client the test could not end itself.
constexpr int kBackstopSeconds = 60;
const QString kTopLevel = "xdg_toplevel";
const QString kSubSurface = "wl_subsurface"; // the view's own surface
// A part of the full-screen view that no frame changes (the table at the
// bottom left), and a place the pointer leaves it for.
const QRect kStillPart(90, 890, 40, 40);
const QPoint kPointerAway(600, 500);
// Where the full-screen view changes from frame to frame: the radar screen
// (the sweep, the hits, the outage mark) and the three monitors (the time,
// the frame's age, the counts), with a margin. Elsewhere it shows the station
// and the table, which stand still.
const QRegion kChangingParts = QRegion(260, 80, 840, 530) + QRegion(0, 405, 220, 175) +
                               QRegion(215, 500, 380, 225) + QRegion(600, 635, 500, 265);
// Levels of 0..255 that a colour on Weston may be off the same one on X11:
// measured equal. Blended over its window, the view was 64 levels brighter on
// average and 72 at most.
constexpr int kFewLevels = 3;
constexpr int kPointerPixels = 64 * 64; // the most that Weston's pointer covers

bool showsItsView(ClientProcess &run)
{
    return !westonViewsOf(run.processId(), kSubSurface).isEmpty();
}

// Starts run against own and waits until its view is on Weston's output;
// true when it is.
bool startAndWaitForTheView(ClientProcess &run, LoopbackServer &own,
                            const QStringList &arguments = QStringList())
{
    return run.writeSettings(own.port(), kBackstopSeconds) && run.start(arguments) &&
           own.acceptClient(kWindowWaitMs) &&
           waitUntil([&] { return showsItsView(run) || !run.isRunning(); }, kWindowWaitMs) &&
           showsItsView(run);
}

// The pixels outside kChangingParts where screens a and b differ by more than
// levels in a colour channel; all of them when their sizes differ.
int pixelsApart(const QImage &a, const QImage &b, int levels)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int apart = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            apart +=
                !kChangingParts.contains(QPoint(x, y)) &&
                (std::abs(qRed(p) - qRed(q)) > levels || std::abs(qGreen(p) - qGreen(q)) > levels ||
                 std::abs(qBlue(p) - qBlue(q)) > levels);
        }
    return apart;
}

// More than a pointer's worth of pixels outside kChangingParts differ from the
// bottom right corner: a frame, not a bare background (where Weston may show
// its pointer) or a window not drawn into yet.
bool showsAPicture(const QImage &screen)
{
    QImage plain(screen.size(), screen.format());
    plain.fill(screen.isNull() ? 0 : screen.pixel(screen.width() - 1, screen.height() - 1));
    return pixelsApart(screen, plain, 0) > kPointerPixels;
}

QImage wholeScreen()
{
    return screenArea(QRect(QPoint(0, 0), screenSize()));
}

// The screen once it shows a picture that stays the same outside kChangingParts
// for kSettleMs; null when it does not within kWindowWaitMs.
QImage settledScreen()
{
    QImage last;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWindowWaitMs) {
        spinEvents(kSettleMs);
        const QImage now = wholeScreen();
        if (showsAPicture(now) && pixelsApart(now, last, 0) == 0)
            return now;
        last = now;
    }
    return QImage();
}

// The screen with the client full screen on Qt's platform (wayland: on
// Weston; xcb: on the X server that shows Weston's output), once settled;
// the client is ended before this returns.
QImage settledScreenOfTheClientOn(const QString &platform)
{
    LoopbackServer own;
    ClientProcess run;
    run.setEnvironment("QT_QPA_PLATFORM", platform);
    if (!run.writeSettings(own.port(), kBackstopSeconds) || !run.start() ||
        !own.acceptClient(kWindowWaitMs))
        return QImage();
    return settledScreen();
}

// Types key at Weston's keyboard, again every so often in case the window
// had not been given the keyboard yet, until run ends; true when it did.
bool typeUntilEnded(ClientProcess &run, const QString &key)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kQuickEndMs) {
        if (!pressKey(key))
            return false;
        if (run.waitForEnd(kKeyRepeatMs))
            return true;
    }
    return false;
}

class ClientOnWaylandTest : public testing::Test
{
protected:
    WestonView viewOf(const QString &role)
    {
        const QList<WestonView> views = westonViewsOf(client.processId(), role);
        return views.size() == 1 ? views.front() : WestonView{};
    }

    // The still part of the view with the pointer on it (moved twice, so that
    // it moves even if it was there), and then away.
    void grabStillPart(QImage &withPointer, QImage &withoutPointer)
    {
        ASSERT_TRUE(movePointerTo(kStillPart.center() - QPoint(1, 1)));
        ASSERT_TRUE(movePointerTo(kStillPart.center()));
        spinEvents(kSettleMs);
        withPointer = screenArea(kStillPart);
        ASSERT_TRUE(movePointerTo(kPointerAway));
        spinEvents(kSettleMs);
        withoutPointer = screenArea(kStillPart);
    }

    LoopbackServer server;
    ClientProcess client;
};

} // namespace

TEST_F(ClientOnWaylandTest, FillsTheScreenAndHidesThePointerOverTheView)
{
    ASSERT_TRUE(startAndWaitForTheView(client, server));
    const QRect screen(QPoint(0, 0), screenSize());
    EXPECT_EQ(viewOf(kTopLevel).area, screen);
    EXPECT_EQ(viewOf(kSubSurface).area, screen);

    QImage withPointer, withoutPointer;
    grabStillPart(withPointer, withoutPointer);
    ASSERT_FALSE(withPointer.isNull());
    EXPECT_TRUE(withPointer == withoutPointer) << "the pointer shows over the view";
    EXPECT_TRUE(client.isRunning()) << client.howItEnded();
}

TEST_F(ClientOnWaylandTest, QAndEscapeEndIt)
{
    for (const char *key : {"q", "Escape"}) {
        LoopbackServer own;
        ClientProcess run;
        ASSERT_TRUE(startAndWaitForTheView(run, own)) << key;
        // Weston gives the new window the keyboard; its output has the X focus.
        ASSERT_TRUE(movePointerTo(kPointerAway));
        EXPECT_TRUE(typeUntilEnded(run, key)) << key;
        EXPECT_TRUE(run.endedCleanly()) << key << ": " << run.howItEnded() << "\n"
                                        << run.errorOutput().toStdString();
    }
}

// The desktop shell shows a window at the size it asks for, where the kiosk
// shell would make it full screen.
TEST_F(ClientOnWaylandTest, WindowOptionGivesAViewOfThatSize)
{
    const QSize asked(517, 389);
    ASSERT_TRUE(startAndWaitForTheView(
        client, server, {"--window", QString("%1x%2").arg(asked.width()).arg(asked.height())}));
    EXPECT_EQ(viewOf(kSubSurface).area.size(), asked);
    const QRect window = viewOf(kTopLevel).area;
    EXPECT_TRUE(window.contains(viewOf(kSubSurface).area));
    EXPECT_NE(window.size(), screenSize());
}

// What Weston shows, as a person at the screen sees it, in the colours X11
// shows: the view's surface is opaque, not blended over its window. Weston's
// bare background between the two keeps the second picture from being what
// was left of the first.
TEST_F(ClientOnWaylandTest, ShowsTheColoursItShowsOnX11)
{
    const QImage onWayland = settledScreenOfTheClientOn("wayland");
    ASSERT_TRUE(showsAPicture(onWayland)) << "no still picture on Weston";
    ASSERT_TRUE(waitUntil([] { return !showsAPicture(wholeScreen()); }, kWindowWaitMs));
    const QImage onX11 = settledScreenOfTheClientOn("xcb");
    ASSERT_TRUE(showsAPicture(onX11)) << "no still picture on X11";
    EXPECT_EQ(pixelsApart(onWayland, onX11, kFewLevels), 0)
        << "the table at the top left is " << QColor(onWayland.pixel(0, 0)).name().toStdString()
        << " on Weston, " << QColor(onX11.pixel(0, 0)).name().toStdString() << " on X11";
}
