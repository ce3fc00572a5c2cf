// The real client on Qt's Wayland platform, on a Weston of its own nested in
// a private Xvfb (tests/support/with-weston.sh --nested): Weston's scene
// graph tells where the client's surfaces lie, and X tools see Weston's
// output and drive its pointer and keyboard.
#include "clientprocess.h"
#include "loopbackserver.h"
#include "westonscene.h"
#include "xscreen.h"

#include <QElapsedTimer>
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
