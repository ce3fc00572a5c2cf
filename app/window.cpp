#include "window.h"

#include "clientmessage.h"
#include "glwidget.h"
#include "outagelog.h"
#include "reconnector.h"
#include "settings.h"
#include "settingserror.h"
#include "wireformat.h"

#include <QCursor>
#include <QFileInfo>
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
    server = serverName(host, quint16(port));
    if (options.reconnect) {
        reconnector = new Reconnector(&logic, host, quint16(port), this);
        reconnector->start();
    } else if (!connectOnce(host, quint16(port))) {
        showError(tr("Could not connect to the server!"));
        close();
        ok = false;
        return;
    }
    if (timeToLive > 0)
        startLifeTimer(timeToLive);
    installView(options.assetsFolder);
    setCursor(QCursor(Qt::BlankCursor));
    if (reconnector != nullptr)
        followOutages();
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

// The box names no file, so the line on standard error says which and why.
bool Window::readSettings(const QString &file, int &timeToLive, int &port, QString &host)
{
    QString whyRefused = QStringLiteral("it could not be read");
    try {
        const Settings settings(file, &whyRefused);
        timeToLive = settings.getInt("timeToLive", kDefaultTimeToLive);
        port = settings.getInt("port", wire::kDefaultPort);
        host = settings.getString("host", kDefaultHost);
        return true;
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
    }
    printClientMessage(QStringLiteral("cannot use the settings file %1: %2")
                           .arg(QFileInfo(file).absoluteFilePath(), whyRefused));
    return false;
}

bool Window::connectOnce(const QString &host, quint16 port)
{
    if (logic.connectToServer(host, port))
        return true;
    printClientMessage(QStringLiteral("could not connect to the server %1: %2")
                           .arg(server, logic.connectionErrorText()));
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
    if (reconnector != nullptr) {
        reconnector->watch(dt);
        if (!logic.isConnected()) {
            watchThroughOutage(dt);
            return;
        }
    }
    if (logic.tick(dt)) {
        frameClock.restart();
        logic.update(dt);
        glWidget->updateGL();
        return;
    }
    // Stopped first, so that no tick runs while the box is open.
    frameTimer->stop();
    printClientMessage(QStringLiteral("lost the connection to the server %1: %2")
                           .arg(server, logic.connectionErrorText()));
    showError(tr("Server-connection lost!"));
    close();
}

void Window::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Q || e->key() == Qt::Key_Escape)
        close();
}

void Window::followOutages()
{
    glWidget->setSignalLost(reconnector->isActive());
    connect(reconnector, SIGNAL(signalLost()), this, SLOT(beginOutage()));
    connect(reconnector, SIGNAL(signalBack()), this, SLOT(endOutage()));
}

void Window::beginOutage()
{
    glWidget->setSignalLost(true);
}

void Window::endOutage()
{
    glWidget->setSignalLost(false);
}

// A frame without a connection: the beam stands, and the markers on screen
// fade as usual.
void Window::watchThroughOutage(double dt)
{
    frameClock.restart();
    logic.ageHits(dt);
    glWidget->updateGL();
}
