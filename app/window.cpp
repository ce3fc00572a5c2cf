#include "window.h"

#include "alarmsound.h"
#include "assetfolder.h"
#include "clientmessage.h"
#include "eventjournal.h"
#include "glwidget.h"
#include "guardzonereader.h"
#include "outagelog.h"
#include "reconnector.h"
#include "scenelayout.h"
#include "settings.h"
#include "settingserror.h"
#include "stationpanels.h"
#include "systemdnotifier.h"
#include "terminationsignals.h"
#include "wireformat.h"
#include "wirescene.h"
#include "zonewatch.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <iostream>
#include <limits>

namespace
{

const char kDefaultHost[] = "localhost";
const char kSoundOff[] = "off";       // the alarmSound setting that silences the alarm
constexpr int kDefaultTimeToLive = 0; // no limit
constexpr int kFrameIntervalMs = 20;
constexpr qint64 kPanelIntervalMs = 100; // the monitors' words change at most this often
constexpr int kMsPerSecond = 1000;
constexpr double kMsPerSecondF = 1000.0;
// The longest life a timer's signed 32-bit millisecond interval can express.
constexpr int kMaxTimeToLive = std::numeric_limits<int>::max() / kMsPerSecond;

// Why the client ended, as its record says.
const char kKeyReason[] = "key";
const char kTimeLimitReason[] = "time limit";
const char kConnectionLostReason[] = "connection lost";
const char kSignalReason[] = "signal";
const char kSettingsReason[] = "settings";
const char kNoConnectionReason[] = "no connection";
const char kClosedReason[] = "window closed"; // by the window system, say

} // namespace

Window::Window() : Window(ClientOptions()) {}

Window::Window(const ClientOptions &options)
    : QWidget(nullptr), ok(false), glWidget(nullptr), reconnector(nullptr), alarmSound(nullptr),
      journal(new EventJournal(this)), closeReason(QLatin1String(kClosedReason))
{
    frameTimer = new QTimer(this);
    if (!options.eventsFile.isEmpty())
        journal->writeTo(options.eventsFile);

    ClientSettings settings;
    const QString settingsPath = QFileInfo(options.settingsFile).absoluteFilePath();
    if (!readSettings(options.settingsFile, settings)) {
        journal->startFailed(settingsPath);
        failStart(kSettingsReason, tr("Unable to load the file clientSttings.xml!"));
        return;
    }
    host = settings.host;
    port = quint16(settings.port);
    server = serverName(host, port);
    if (!settings.eventCommand.isEmpty())
        journal->runForEach(settings.eventCommand, serverAddress(host, port));
    journal->started({settingsPath, host, port, int(settings.zones.size()), settings.zoneNotes});
    if (SystemdNotifier::isWanted())
        serviceManager = std::make_unique<SystemdNotifier>(serverAddress(host, port));
    if (options.reconnect) {
        reconnector = new Reconnector(&logic, host, port, this);
        recordConnections();
        reconnector->start();
    } else if (connectOnce(host, port)) {
        journal->connected(host, port);
    } else {
        failStart(kNoConnectionReason, tr("Could not connect to the server!"));
        return;
    }
    if (settings.timeToLive > 0)
        startLifeTimer(settings.timeToLive);
    if (!settings.zones.empty())
        watchGuardZones(settings, options);
    installView(options.assetsFolder);
    setCursor(QCursor(Qt::BlankCursor));
    if (reconnector != nullptr)
        followOutages();
    if (journal->isKept())
        endOnTerminationSignals();
    frameClock.start();
    connect(frameTimer, SIGNAL(timeout()), this, SLOT(timerFunc()));
    frameTimer->start(kFrameIntervalMs);
    ok = true;
}

void Window::failStart(const char *reason, const QString &boxText)
{
    closeReason = QLatin1String(reason);
    showError(boxText);
    close();
    ok = false;
}

void Window::recordExit(int status)
{
    journal->exited(status, closeReason);
}

// With --reconnect the first connection may come at any time, and the
// outages' lines have their events.
void Window::recordConnections()
{
    connect(reconnector, SIGNAL(firstConnection()), this, SLOT(recordFirstConnection()));
    reconnector->onOutageEvent([this](const OutageEvent &event) { journal->outage(event); });
}

void Window::recordFirstConnection()
{
    journal->connected(host, port);
}

void Window::recordSound(bool available)
{
    journal->sound(available);
}

// A supervisor's stop or a Ctrl-C ends the client as a key does, so that the
// record ends with its exit.
void Window::endOnTerminationSignals()
{
    TerminationSignals *signals_ = new TerminationSignals(this);
    connect(signals_, SIGNAL(received()), this, SLOT(closeOnSignal()));
}

void Window::closeOnSignal()
{
    closeBecause(kSignalReason);
}

void Window::closeOnTimeLimit()
{
    closeBecause(kTimeLimitReason);
}

void Window::closeBecause(const char *reason)
{
    closeReason = QLatin1String(reason);
    close();
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
bool Window::readSettings(const QString &file, ClientSettings &settings)
{
    QString whyRefused = QStringLiteral("it could not be read");
    try {
        const Settings document(file, &whyRefused);
        settings.timeToLive = document.getInt("timeToLive", kDefaultTimeToLive);
        settings.port = document.getInt("port", wire::kDefaultPort);
        settings.host = document.getString("host", kDefaultHost);
        settings.zones = readGuardZones(document.documentElement(), settings.zoneNotes);
        for (const GuardZoneNote &note : settings.zoneNotes)
            printClientMessage(QStringLiteral("settings file %1: %2").arg(file, note.text()));
        settings.alarmSound = document.getString("alarmSound", QString()).trimmed();
        settings.eventCommand = trustedCommand(file, document.getString("eventCommand", QString()));
        return true;
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
    }
    printClientMessage(QStringLiteral("cannot use the settings file %1: %2")
                           .arg(QFileInfo(file).absoluteFilePath(), whyRefused));
    return false;
}

// Whoever can write the settings file could have the client run anything,
// so a file that others may write has its command ignored.
QString Window::trustedCommand(const QString &settingsFile, const QString &command)
{
    const QString trimmed = command.trimmed();
    if (trimmed.isEmpty() || !(QFileInfo(settingsFile).permissions() & QFile::WriteOther))
        return trimmed;
    printClientMessage(QStringLiteral("settings file %1 may be written by others; its "
                                      "eventCommand is not run")
                           .arg(QFileInfo(settingsFile).absoluteFilePath()));
    return QString();
}

bool Window::connectOnce(const QString &host, quint16 port)
{
    if (logic.connectToServer(host, port))
        return true;
    printClientMessage(QStringLiteral("could not connect to the server %1: %2")
                           .arg(server, logic.connectionErrorText()));
    return false;
}

// The zones raise their alarms on standard output and with a sound: the
// default one beside the other data files, the settings' own (relative to the
// settings file), or none.
void Window::watchGuardZones(const ClientSettings &settings, const ClientOptions &options)
{
    if (settings.alarmSound != QLatin1String(kSoundOff)) {
        const QString path =
            settings.alarmSound.isEmpty()
                ? AssetFolder(options.assetsFolder).path(scene::kSoundFolder, scene::kAlarmSound)
                : QDir::cleanPath(
                      QFileInfo(options.settingsFile).dir().filePath(settings.alarmSound));
        alarmSound = new AlarmSound(path, this);
        connect(alarmSound, SIGNAL(availabilityChanged(bool)), this, SLOT(recordSound(bool)));
    }
    zoneWatch = std::make_unique<ZoneWatch>(settings.zones, std::cout, [this] { soundTheAlarm(); });
    zoneWatch->onEvent([this](const ZoneWatch::Event &event) { journal->zone(event); });
    logic.watchZones(zoneWatch.get());
}

void Window::soundTheAlarm()
{
    if (alarmSound != nullptr)
        alarmSound->sound();
}

void Window::startLifeTimer(int timeToLive)
{
    // Beyond the longest interval a timer can hold, the client runs for that
    // long rather than wrapping into a short or negative interval.
    const int intervalMs =
        timeToLive > kMaxTimeToLive ? std::numeric_limits<int>::max() : timeToLive * kMsPerSecond;
    QTimer *lifeTimer = new QTimer(this);
    connect(lifeTimer, SIGNAL(timeout()), this, SLOT(closeOnTimeLimit()));
    lifeTimer->setSingleShot(true);
    lifeTimer->start(intervalMs);
}

void Window::installView(const QString &assetsFolder)
{
    glWidget = new GLWidget(&logic, assetsFolder);
    if (zoneWatch)
        glWidget->showZones(zoneWatch.get());
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
        showPanels(dt, dt * kBeamSpeedDegPerSec);
        glWidget->updateGL();
        tellServiceManager();
        return;
    }
    // Stopped first, so that no tick runs while the box is open.
    frameTimer->stop();
    const bool closed = logic.connectionError() == QAbstractSocket::RemoteHostClosedError;
    journal->outage(
        {OutageEvent::Kind::Lost, closed ? QStringLiteral("closed") : logic.connectionErrorText()});
    printClientMessage(QStringLiteral("lost the connection to the server %1: %2")
                           .arg(server, logic.connectionErrorText()));
    showError(tr("Server-connection lost!"));
    closeBecause(kConnectionLostReason);
}

void Window::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Q || e->key() == Qt::Key_Escape)
        closeBecause(kKeyReason);
}

void Window::followOutages()
{
    glWidget->setSignalLost(reconnector->isActive());
    connect(reconnector, SIGNAL(signalLost()), this, SLOT(beginOutage()));
    connect(reconnector, SIGNAL(signalBack()), this, SLOT(endOutage()));
}

// The picture is unknown from now on, which is not a clear: the zones in
// alarm say so, and the station, which can no longer watch its zones, sounds.
void Window::beginOutage()
{
    glWidget->setSignalLost(true);
    if (!zoneWatch)
        return;
    zoneWatch->signalLost();
    soundTheAlarm();
}

// The zones start afresh: a target still in one alarms again.
void Window::endOutage()
{
    glWidget->setSignalLost(false);
    if (zoneWatch)
        zoneWatch->signalBack();
}

// A frame without a connection: there is nothing to tick, the hits already
// made age as usual, and the view shows the outage as it has been told.
void Window::watchThroughOutage(double dt)
{
    frameClock.restart();
    logic.ageHits(dt);
    showPanels(dt, 0.0);
    glWidget->updateGL();
    tellServiceManager();
}

// The monitors follow the station, their words changing at most every
// kPanelIntervalMs, so that a monitor is drawn anew at most that often.
void Window::showPanels(double dt, double turnedDeg)
{
    tally.tick(dt, turnedDeg, logic.framesRead(), logic.hitsMade());
    if (panelClock.isValid() && panelClock.elapsed() < kPanelIntervalMs)
        return;
    panelClock.start();
    PanelFacts facts;
    facts.state = stationState();
    facts.server = serverAddress(host, port);
    facts.lastFrameAge = tally.lastFrameAge();
    facts.hitsInLastTurn = tally.hitsInLastTurn();
    for (size_t zone = 0; zoneWatch && zone < zoneWatch->zones().size(); ++zone) {
        if (zoneWatch->state(zone) == ZoneWatch::State::Unknown)
            facts.zonesUnknown.push_back(zoneWatch->zones()[zone].number);
    }
    facts.zones = zoneWatch ? int(zoneWatch->zones().size()) : 0;
    facts.time = QTime::currentTime();
    glWidget->setPanelTexts(stationPanels(facts));
}

// After a repaint, so that pings stop when the event loop or the drawing
// stalls.
void Window::tellServiceManager()
{
    if (serviceManager)
        serviceManager->frameTicked(glWidget->hasShownFrame(), stationState());
}

StationState Window::stationState() const
{
    StationState state;
    state.targets = logic.targetCount();
    if (reconnector != nullptr && reconnector->isActive()) {
        state.secondsWithoutFrames = reconnector->secondsSinceLastFrame();
        state.link = state.secondsWithoutFrames < 0 ? StationState::Link::Connecting
                                                    : StationState::Link::NoSignal;
    } else {
        state.link = StationState::Link::Watching;
    }
    for (size_t zone = 0; zoneWatch && zone < zoneWatch->zones().size(); ++zone) {
        if (zoneWatch->isInAlarm(zone))
            state.zonesInAlarm.push_back(zoneWatch->zones()[zone].number);
    }
    return state;
}
