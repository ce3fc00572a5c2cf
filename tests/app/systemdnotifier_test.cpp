#include "notifysocket.h"
#include "systemdnotifier.h"

#include <QThread>
#include <gtest/gtest.h>

namespace
{
// Pings wanted within 2 ms: one is due at every tick 1 ms apart.
const char kWatchdogUsec[] = "2000";
constexpr int kTickMs = 2;
constexpr int kTicksBeforeShown = 5;
} // namespace

// On Wayland a window's first ticks may come well before its view is shown;
// the manager hears nothing of them, not even pings.
TEST(SystemdNotifierTest, TellsNothingBeforeTheViewHasShownAFrame)
{
    NotifySocket manager;
    ASSERT_TRUE(manager.isOpen());
    qputenv("NOTIFY_SOCKET", manager.path().toLocal8Bit());
    qputenv("WATCHDOG_USEC", kWatchdogUsec);
    qunsetenv("WATCHDOG_PID");
    SystemdNotifier notifier(QStringLiteral("localhost:3333"));
    for (int i = 0; i < kTicksBeforeShown; ++i) {
        notifier.frameTicked(false, StationState());
        QThread::msleep(kTickMs);
    }
    EXPECT_EQ(manager.lines().size(), 0u);

    notifier.frameTicked(true, StationState());
    QThread::msleep(kTickMs);
    notifier.frameTicked(true, StationState());
    ASSERT_EQ(manager.lines().size(), 3u);
    EXPECT_EQ(manager.lines()[0].text, "READY=1");
    EXPECT_EQ(manager.lines()[1].text, "STATUS=connecting to localhost:3333");
    EXPECT_EQ(manager.lines()[2].text, "WATCHDOG=1");
}
