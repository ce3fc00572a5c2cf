#include "loopbackserver.h"
#include "window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
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

// Answers every modal box that opens, recording what it said.
class ModalWatcher
{
public:
    ModalWatcher()
    {
        QObject::connect(&poll, &QTimer::timeout, [this] { answer(); });
        poll.start(20);
    }

    QString title;
    QString text;
    int boxes = 0;
    std::function<void()> whileOpen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        ++boxes;
        title = box->windowTitle();
        text = box->text();
        if (whileOpen)
            whileOpen();
        box->button(QMessageBox::Ok)->click();
    }

    QTimer poll;
};

// Each test runs in a working directory of its own, holding the client's data
// folders and whatever settings file the test writes.
class WindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previous = QDir::currentPath();
        for (const char *folder : {"textures", "mdl"})
            QFile::link(QStringLiteral(RADAR_SOURCE_DIR "/") + folder, dir.filePath(folder));
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }

    void writeSettings(const QString &body)
    {
        QFile file(dir.filePath("clientSettings.xml"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(("<settings>" + body + "</settings>").toUtf8());
    }

    void settingsFor(quint16 port, const QString &extra = QString())
    {
        writeSettings(QString("<host>127.0.0.1</host><port>%1</port>").arg(port) + extra);
    }

    // A window connected to the loopback server and shown.
    std::unique_ptr<Window> runningWindow(const QString &extra = QString())
    {
        settingsFor(server.port(), extra);
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

    QTemporaryDir dir;
    QString previous;
    LoopbackServer server;
    ModalWatcher watcher;
};

} // namespace

TEST_F(WindowTest, MissingSettingsFileIsReportedWithoutConnecting)
{
    QTcpServer defaultPort; // where the client would connect by default
    const bool listening = defaultPort.listen(QHostAddress::Any, 3333);
    Window window;
    EXPECT_FALSE(window.isOk());
    EXPECT_EQ(watcher.title, "Client error");
    EXPECT_EQ(watcher.text, "Unable to load the file clientSttings.xml!");
    if (listening) {
        spinEvents(50);
        EXPECT_FALSE(defaultPort.hasPendingConnections());
    }
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
        EXPECT_EQ(watcher.text, "Unable to load the file clientSttings.xml!");
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
    EXPECT_EQ(watcher.text, "Could not connect to the server!");
    EXPECT_EQ(watcher.title, "Client error");
}

TEST_F(WindowTest, LostConnectionStopsTheFrameTimerBeforeTheBox)
{
    auto window = runningWindow();
    int activeWhileOpen = -1;
    watcher.whileOpen = [&] { activeWhileOpen = activeTimers(window.get()); };
    server.dropClient();
    ASSERT_TRUE(waitUntil([&] { return watcher.boxes > 0; }, 3000));
    EXPECT_EQ(watcher.text, "Server-connection lost!");
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
    auto window = runningWindow("<timeToLive>1</timeToLive>");
    ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }, 5000));
    EXPECT_GE(clock.elapsed(), 900);
}

TEST_F(WindowTest, LifeTimerExistsOnlyForPositiveLimitsAndIsClamped)
{
    for (const char *limit : {"0", "-4", "soon"}) {
        auto window = runningWindow(QString("<timeToLive>%1</timeToLive>").arg(limit));
        EXPECT_EQ(window->findChildren<QTimer *>().size(), 1) << limit;
    }
    auto window = runningWindow("<timeToLive>3000000</timeToLive>");
    int longest = 0;
    for (QTimer *timer : window->findChildren<QTimer *>())
        if (timer->isSingleShot())
            longest = timer->interval();
    EXPECT_EQ(longest, INT_MAX);
}
