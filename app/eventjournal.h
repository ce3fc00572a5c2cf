#pragma once

#include "jsonline.h"
#include "outagelog.h"
#include "zonewatch.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class EventCommand;
class EventFile;
struct GuardZoneNote;

// The station's record of what happened, one JSON object a line (JSON
// Lines), each with its time in UTC to the millisecond and its event: start,
// connected, lost, down, back, alarm, clear, sound, exit (and dropped, when
// the event command falls behind). Each line goes out before the client says
// the same on its other streams. It goes to the file that --events names,
// and to the settings' event command, when there are; without either,
// recording costs nothing.
class EventJournal : public QObject
{
    Q_OBJECT

public:
    // What the start event tells.
    struct Start {
        QString settingsFile; // absolute
        QString host;
        quint16 port;
        int zones;
        std::vector<GuardZoneNote> zoneNotes; // the skipped zones are told
    };

    // The word that asks for the journal's usual place.
    static constexpr char kDefaultFile[] = "default";

    explicit EventJournal(QObject *parent);
    ~EventJournal() override;

    // Records into file from now on: a path, or kDefaultFile for
    // $XDG_STATE_HOME/radar-client/events.jsonl.
    void writeTo(const QString &file);
    // Runs command for each event from now on, telling it of server
    // (host:port) too.
    void runForEach(const QString &command, const QString &server);
    // True when the events go anywhere.
    bool isKept() const;

    void started(const Start &start);
    // A start that failed before the settings told the server.
    void startFailed(const QString &settingsFile);
    void connected(const QString &host, quint16 port);
    void outage(const OutageEvent &event);
    void zone(const ZoneWatch::Event &event);
    void sound(bool available);
    void exited(int status, const QString &reason);

private slots:
    void commandDropped(int count);

private:
    // zone: the zone's number for an event of a zone, else 0.
    void record(const char *event, const JsonLine &fields, int zone = 0);

    std::unique_ptr<EventFile> file;
    EventCommand *command = nullptr; // a child, when there is one
    QString server;                  // host:port, for the command
};

// Where kDefaultFile puts the journal, from the environment as it is now.
QString defaultEventsFile();
