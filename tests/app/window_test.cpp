#include "clientbox.h"
#include "clientfolder.h"
#include "clientoptions.h"
#include "loopbackserver.h"
#include "modalanswerer.h"
#include "window.h"
#include "wireformat.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace
{

constexpr int kNoConnectionWaitMs = 50;

// Each test runs in a working folder of its own, holding the client's data
// folders and whatever settings file the test writes.
class WindowTest : public testing::Test
{
protected:
    void SetUp() override { folder.enter(); }

    void settingsFor(quint16 port, const QString &timeToLive = QString())
    {
        ASSERT_TRUE(folder.writeSettings(port, timeToLive));
    }

    // A window connected to the loopback server and shown.
    std::unique_ptr<Window> runningWindow(const QString &timeToLive = QString())
    {
        settingsFor(server.port(), timeToLive);
        auto window = std::make_unique<Window>();
        EXPECT_TRUE(window->isOk());
        EXPECT_TRUE(server.acceptClient());
        window->show();
        return window;
    }

    static int activeTimers(QObject *window)
    {
        int active = 0;
        for (QTimer *timer : window->findChildren<QTimer *>())
            active += timer->isActive();
        return active;
    }

    ClientFolder folder;
    LoopbackServer server;
    ModalAnswerer watcher;
};

} // namespace

TEST_F(WindowTest, MissingSettingsFileIsReportedWithoutConnecting)
{
    QTcpServer defaultPort; // where the client would connect by default
    const bool listening = defaultPort.listen(QHostAddress::Any, wire::kDefaultPort);
    Window window;
    EXPECT_FALSE(window.isOk());
    EXPECT_EQ(watcher.title, clientbox::kTitle);
    EXPECT_EQ(watcher.text, clientbox::kSettingsRefused);
    if (listening) {
        spinEvents(50);
        EXPECT_FALSE(defaultPort.hasPendingConnections());
    }
    EXPECT_EQ(activeTimers(&window), 0);
}

TEST_F(WindowTest, RefusedSettingsFileIsReportedLikeAMissingOne)
{
    // Entities are refused before the parser could expand them.
    ASSERT_TRUE(folder.writeSettingsFile("<?xml version=\"1.0\"?><!DOCTYPE s "
                                         "[<!ENTITY x \"127.0.0.1\">]><settings><host>&x;</host>"
                                         "<port>" +
                                         QByteArray::number(server.port()) + "</port></settings>"));
    Window window;
    EXPECT_FALSE(window.isOk());
    EXPECT_EQ(watcher.title, clientbox::kTitle);
    EXPECT_EQ(watcher.text, clientbox::kSettingsRefused);
    EXPECT_FALSE(server.acceptClient(0)) << "the client connected after all";
    EXPECT_EQ(activeTimers(&window), 0);
}

TEST_F(WindowTest, NamedSettingsFileIsReadInsteadOfTheWorkingDirectorysOne)
{
    // The working directory's file would connect; the named one decides.
    settingsFor(server.port());
    QTemporaryDir elsewhere;
    ClientOptions options;
    options.settingsFile = elsewhere.filePath("site.xml");
    {
        Window window(options);
        EXPECT_FALSE(window.isOk());
        EXPECT_EQ(watcher.text, clientbox::kSettingsRefused);
        EXPECT_FALSE(server.acceptClient(kNoConnectionWaitMs));
    }
    LoopbackServer site;
    QFile file(options.settingsFile);
    file.open(QIODevice::WriteOnly);
    file.write(QString("<s><host>127.0.0.1</host><port>%1</port></s>").arg(site.port()).toUtf8());
    file.close();
    Window window(options);
    EXPECT_TRUE(window.isOk());
    EXPECT_TRUE(site.acceptClient());
    EXPECT_EQ(watcher.boxes, 1);
}

TEST_F(WindowTest, UnreachableServerIsReportedWithinAboutASecond)
{
    quint16 closedPort;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    settingsFor(closedPort);
    QElapsedTimer clock;
    clock.start();
    Window window;
    EXPECT_FALSE(window.isOk());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(watcher.text, clientbox::kServerUnreachable);
    EXPECT_EQ(watcher.title, clientbox::kTitle);
}

TEST_F(WindowTest, LostConnectionStopsTheFrameTimerBeforeTheBox)
{
    auto window = runningWindow();
    int activeWhileOpen = -1;
    watcher.whileOpen = [&] { activeWhileOpen = activeTimers(window.get()); };
    server.dropClient();
    ASSERT_TRUE(waitUntil([&] { return watcher.boxes > 0; }, 3000));
    EXPECT_EQ(watcher.text, clientbox::kConnectionLost);
    EXPECT_EQ(activeWhileOpen, 0);
    EXPECT_TRUE(waitUntil([&] { return !window->isVisible(); }));
}

TEST_F(WindowTest, CloseKeysEndTheProgram)
{
    const std::vector<std::pair<int, Qt::KeyboardModifiers>> closing = {
        {Qt::Key_Q, Qt::NoModifier},
        {Qt::Key_Q, Qt::ShiftModifier},
        {Qt::Key_Q, Qt::ControlModifier},
        {Qt::Key_Escape, Qt::NoModifier}};
    for (auto [key, modifiers] : closing) {
        LoopbackServer own;
        settingsFor(own.port());
        Window window;
        ASSERT_TRUE(window.isOk());
        window.show();
        QTest::keyClick(&window, Qt::Key(key), modifiers);
        EXPECT_FALSE(window.isVisible()) << key << " " << modifiers;
    }
    auto window = runningWindow();
    QTest::keyClick(window.get(), 'q');
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(watcher.boxes, 0);
}

TEST_F(WindowTest, OtherKeysLeaveTheWindowOpen)
{
    auto window = runningWindow();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Space, Qt::Key_Return, Qt::Key_F4})
        QTest::keyClick(window.get(), key);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowTest, TimeToLiveClosesTheWindowByItself)
{
    QElapsedTimer clock;
    clock.start();
    auto window = runningWindow("1");
    ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }, 5000));
    EXPECT_GE(clock.elapsed(), 900);
}

TEST_F(WindowTest, LifeTimerExistsOnlyForPositiveLimitsAndIsClamped)
{
    for (const char *limit : {"0", "-4", "soon"}) {
        auto window = runningWindow(limit);
        EXPECT_EQ(window->findChildren<QTimer *>().size(), 1) << limit;
    }
    auto window = runningWindow("3000000");
    int longest = 0;
    for (QTimer *timer : window->findChildren<QTimer *>())
        if (timer->isSingleShot())
            longest = timer->interval();
    EXPECT_EQ(longest, INT_MAX);
}
