#include "eventjournal.h"

#include "eventcommand.h"
#include "eventfile.h"
#include "guardzonereader.h"

#include <QDateTime>
#include <QDir>

namespace
{

const char kVersion[] = RADAR_CLIENT_VERSION;
// Under the state folder, as the XDG base directories name it.
const char kStateHomeVariable[] = "XDG_STATE_HOME";
const char kStateHomeUnderHome[] = ".local/state";
const char kJournalUnderState[] = "radar-client/events.jsonl";
// For tests: a smaller size at which the file is rotated.
const char kRotateBytesVariable[] = "RADAR_EVENTS_ROTATE_BYTES";
constexpr int kSecondsDecimals = 1;

qint64 rotateBytes()
{
    bool ok = false;
    const qint64 bytes = qEnvironmentVariable(kRotateBytesVariable).toLongLong(&ok);
    return ok && bytes > 0 ? bytes : EventFile::kRotateBytes;
}

QList<JsonLine> skippedZones(const std::vector<GuardZoneNote> &notes)
{
    QList<JsonLine> skipped;
    for (const GuardZoneNote &note : notes) {
        if (note.skipped)
            skipped << JsonLine().addInt("zone", note.zone).addString("reason", note.reason);
    }
    return skipped;
}

} // namespace

// XDG asks for an absolute path; anything else is to be ignored.
QString defaultEventsFile()
{
    QString state = qEnvironmentVariable(kStateHomeVariable);
    if (!QDir::isAbsolutePath(state))
        state = QDir::home().filePath(QLatin1String(kStateHomeUnderHome));
    return QDir(state).filePath(QLatin1String(kJournalUnderState));
}

EventJournal::EventJournal(QObject *parent) : QObject(parent) {}

EventJournal::~EventJournal() = default;

void EventJournal::writeTo(const QString &path)
{
    const QString chosen = path == QLatin1String(kDefaultFile) ? defaultEventsFile() : path;
    file = std::make_unique<EventFile>(QDir::cleanPath(QDir::current().absoluteFilePath(chosen)),
                                       rotateBytes());
}

void EventJournal::runForEach(const QString &commandLine, const QString &serverAddress)
{
    command = new EventCommand(commandLine, this);
    server = serverAddress;
    connect(command, SIGNAL(dropped(int)), this, SLOT(commandDropped(int)));
}

bool EventJournal::isKept() const
{
    return file != nullptr || command != nullptr;
}

void EventJournal::commandDropped(int count)
{
    record("dropped", JsonLine().addInt("count", count));
}

void EventJournal::started(const Start &start)
{
    record("start", JsonLine()
                        .addString("version", QLatin1String(kVersion))
                        .addString("settings", start.settingsFile)
                        .addString("host", start.host)
                        .addInt("port", start.port)
                        .addInt("zones", start.zones)
                        .addObjects("skipped", skippedZones(start.zoneNotes)));
}

void EventJournal::startFailed(const QString &settingsFile)
{
    record("start", JsonLine()
                        .addString("version", QLatin1String(kVersion))
                        .addString("settings", settingsFile));
}

void EventJournal::connected(const QString &host, quint16 port)
{
    record("connected", JsonLine().addString("host", host).addInt("port", port));
}

void EventJournal::outage(const OutageEvent &event)
{
    switch (event.kind) {
    case OutageEvent::Kind::Lost:
        record("lost", JsonLine().addString("reason", event.reason));
        break;
    case OutageEvent::Kind::Down:
        record("down", JsonLine()
                           .addInt("failures", event.failures)
                           .addNumber("seconds", event.seconds, kSecondsDecimals));
        break;
    case OutageEvent::Kind::Back:
        record("back", JsonLine().addNumber("seconds", event.seconds, kSecondsDecimals));
        break;
    }
}

void EventJournal::zone(const ZoneWatch::Event &event)
{
    if (event.kind == ZoneWatch::Event::Kind::Clear) {
        record("clear", JsonLine().addInt("zone", event.zone), event.zone);
        return;
    }
    record("alarm",
           JsonLine()
               .addInt("zone", event.zone)
               .addPrintedNumber("alpha", event.bearing.text, event.bearing.value)
               .addPrintedNumber("range", event.distance.text, event.distance.value)
               .addBool("new", event.newTarget),
           event.zone);
}

void EventJournal::sound(bool available)
{
    record("sound", JsonLine().addBool("available", available));
}

void EventJournal::exited(int status, const QString &reason)
{
    record("exit", JsonLine().addInt("status", status).addString("reason", reason));
}

// The time and the event come first, so that the lines read well.
void EventJournal::record(const char *event, const JsonLine &fields, int zone)
{
    if (!isKept())
        return;
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QByteArray line = JsonLine()
                                .addString("time", time)
                                .addString("event", QLatin1String(event))
                                .append(fields)
                                .text();
    if (file)
        file->append(line + '\n');
    if (command) {
        QList<QPair<QString, QString>> variables = {
            {"RADAR_EVENT", QLatin1String(event)}, {"RADAR_TIME", time}, {"RADAR_SERVER", server}};
        if (zone > 0)
            variables.append({"RADAR_ZONE", QString::number(zone)});
        command->run(line, variables);
    }
}
