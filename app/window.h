#pragma once

#include "clientoptions.h"
#include "guardzone.h"
#include "guardzonereader.h"
#include "logic.h"
#include "stationtally.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <vector>

class AlarmSound;
class EventJournal;
class GLWidget;
class QKeyEvent;
class Reconnector;
class SystemdNotifier;
struct StationState;
class ZoneWatch;
class QTimer;

// The client's one window, shown full screen unless the options ask for a
// size. Its constructor does the whole start-up: settings, server connection,
// view, cursor and frame timer. isOk() tells the entry point whether to show it.
class Window : public QWidget
{
    Q_OBJECT

public:
    // The settings file and the data folders as the options name them.
    explicit Window(const ClientOptions &options);
    // clientSettings.xml, textures/ and mdl/ in the working directory.
    Window();
    ~Window() override;

    bool isOk() const { return ok; }
    // Ends the event journal with the exit, its status and its reason.
    void recordExit(int status);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void timerFunc();
    void beginOutage();
    void endOutage();
    void recordFirstConnection();
    void recordSound(bool available);
    void closeOnSignal();
    void closeOnTimeLimit();

private:
    // What the settings file holds for the client.
    struct ClientSettings {
        int timeToLive = 0; // seconds; 0 or less: no limit
        int port = 0;
        QString host;
        std::vector<GuardZone> zones;
        std::vector<GuardZoneNote> zoneNotes;
        QString alarmSound;   // a WAV file, "off", or empty for the default
        QString eventCommand; // run for each event; empty for none
    };

    bool readSettings(const QString &file, ClientSettings &settings);
    static QString trustedCommand(const QString &settingsFile, const QString &command);
    void failStart(const char *reason, const QString &boxText);
    void recordConnections();
    void endOnTerminationSignals();
    void closeBecause(const char *reason);
    bool connectOnce(const QString &host, quint16 port);
    void watchGuardZones(const ClientSettings &settings, const ClientOptions &options);
    void soundTheAlarm();
    void startLifeTimer(int timeToLive);
    void installView(const QString &assetsFolder);
    void showError(const QString &text);
    void followOutages();
    void watchThroughOutage(double dt);
    void showPanels(double dt, double turnedDeg);
    void tellServiceManager();
    StationState stationState() const;

    bool ok;
    GLWidget *glWidget;
    QElapsedTimer frameClock; // milliseconds since the previous successful tick
    Logic logic;
    QTimer *frameTimer;
    QString host;
    quint16 port = 0;
    QString server; // as the messages name it, "localhost port 3333"
    // With --reconnect, what keeps trying to reach the server while it cannot
    // be reached; null without, when a lost connection ends the client.
    Reconnector *reconnector;
    // The alarm states of the settings' guard zones; null without zones.
    std::unique_ptr<ZoneWatch> zoneWatch;
    // A child; null without zones or with the sound off.
    AlarmSound *alarmSound;
    EventJournal *journal;    // a child
    StationTally tally;       // for the monitors
    QElapsedTimer panelClock; // since their words last changed
    QString closeReason;      // for the journal's exit event
    // Tells systemd that the station is up, alive and what it does; null
    // unless a service manager listens.
    std::unique_ptr<SystemdNotifier> serviceManager;
};
