#include "window.h"

#include "glwidget.h"
#include "reconnector.h"
#include "settings.h"
#include "settingserror.h"
#include "wireformat.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <limits>

namespace
{

const char kDefaultHost[] = "localhost";
constexpr int kDefaultTimeToLive = 0; // no limit
constexpr int kFrameIntervalMs = 20;
constexpr int kMsPerSecond = 1000;
constexpr double kMsPerSecondF = 1000.0;
// The longest life a timer's signed 32-bit millisecond interval can express.
constexpr int kMaxTimeToLive = std::numeric_limits<int>::max() / kMsPerSecond;

} // namespace

Window::Window() : Window(ClientOptions()) {}

Window::Window(const ClientOptions &options)
    : QWidget(nullptr), ok(false), glWidget(nullptr), reconnector(nullptr)
{
    frameTimer = new QTimer(this);

    int timeToLive = kDefaultTimeToLive;
    int port = wire::kDefaultPort;
    QString host;
    if (!readSettings(options.settingsFile, timeToLive, port, host)) {
        showError(tr("Unable to load the file clientSttings.xml!"));
        close();
        ok = false;
        return;
    }
    const bool connected = logic.connectToServer(host, quint16(port));
    if (!connected && !options.reconnect) {
        showError(tr("Could not connect to the server!"));
        close();
        ok = false;
        return;
    }
    if (options.reconnect)
        reconnector = new Reconnector(&logic, host, quint16(port), this);
    if (timeToLive > 0)
        startLifeTimer(timeToLive);
    installView(options.assetsFolder);
    setCursor(QCursor(Qt::BlankCursor));
    if (!connected)
        beginOutage(true);
    frameClock.start();
    connect(frameTimer, SIGNAL(timeout()), this, SLOT(timerFunc()));
    frameTimer->start(kFrameIntervalMs);
    ok = true;
}

Window::~Window()
{
    // The timers go first so that no tick or attempt can reach the logic as it
    // is torn down; the view, a child widget, goes after the logic with the
    // base class.
    delete frameTimer;
    delete reconnector;
}

bool Window::readSettings(const QString &file, int &timeToLive, int &port, QString &host)
{
    try {
        const Settings settings(file);
        timeToLive = settings.getInt("timeToLive", kDefaultTimeToLive);
        port = settings.getInt("port", wire::kDefaultPort);
        host = settings.getString("host", kDefaultHost);
        return true;
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
    }
    return false;
}

void Window::startLifeTimer(int timeToLive)
{
    // Beyond the longest interval a timer can hold, the client runs for that
    // long rather than wrapping into a short or negative interval.
    const int intervalMs =
        timeToLive > kMaxTimeToLive ? std::numeric_limits<int>::max() : timeToLive * kMsPerSecond;
    QTimer *lifeTimer = new QTimer(this);
    connect(lifeTimer, SIGNAL(timeout()), this, SLOT(close()));
    lifeTimer->setSingleShot(true);
    lifeTimer->start(intervalMs);
}

void Window::installView(const QString &assetsFolder)
{
    glWidget = new GLWidget(&logic, assetsFolder);
    QHBoxLayout *layout = new QHBoxLayout;
    layout->addWidget(glWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);
}

void Window::showError(const QString &text)
{
    QMessageBox::critical(this, tr("Client error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void Window::timerFunc()
{
    const double dt = frameClock.elapsed() / kMsPerSecondF;
    if (inOutage() && !logic.isConnected()) {
        watchThroughOutage(dt);
        return;
    }
    if (logic.tick(dt)) {
        frameClock.restart();
        logic.update(dt);
        if (inOutage() && logic.hasFrame())
            endOutage();
        glWidget->updateGL();
        return;
    }
    if (reconnector != nullptr) {
        if (!inOutage())
            beginOutage(false);
        watchThroughOutage(dt);
        return;
    }
    // Stopped first, so that no tick runs while the box is open.
    frameTimer->stop();
    showError(tr("Server-connection lost!"));
    close();
}

void Window::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Q || e->key() == Qt::Key_Escape)
        close();
}

bool Window::inOutage() const
{
    return reconnector != nullptr && reconnector->isActive();
}

void Window::beginOutage(bool neverConnected)
{
    reconnector->begin(neverConnected);
    glWidget->setSignalLost(true);
}

void Window::endOutage()
{
    reconnector->end();
    glWidget->setSignalLost(false);
}

// A frame without a connection: there is nothing to tick, the hits already
// made age as usual, and the view shows the outage as it has been told.
void Window::watchThroughOutage(double dt)
{
    frameClock.restart();
    logic.ageHits(dt);
    glWidget->updateGL();
}
