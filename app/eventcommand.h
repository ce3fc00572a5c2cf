#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <deque>

class CommandProcess;
class QTimer;

// Runs the settings' event command once for each event of the journal, so
// that an alarm can leave the room (a notification, a mail, a web request).
// The command runs through /bin/sh -c, in a session of its own, one at a
// time and in order, without ever holding up the view: events that come
// meanwhile wait, at most kMostWaiting of them, and beyond that the oldest
// are dropped. Each run gets the event's JSON line on its standard input and
// the event's RADAR_* variables in its environment; its standard output is
// discarded (it would mix into the hit lines, and what a command prints
// there, an HTTP reply say, is of no use to anyone) while its standard error
// goes to the client's, beside the client's own line about the failure.
//
// A run still going after the time limit is killed with everything it
// started. Failures (a status other than 0, a signal, a kill, a command that
// cannot start) are told on standard error: the first at once, the rest at
// most once every report interval with their count.
//
// Destroyed, it lets the running command and then the waiting ones finish,
// for at most kEndingGraceMs in all, so that the client's last event, its
// exit, usually gets out; then it kills what still runs, and says how many
// events never reached the command.
class EventCommand : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMostWaiting = 100;              // events waiting beyond the one running
    static constexpr int kTimeLimitMs = 30000;            // a run still going then is killed
    static constexpr int kReportIntervalMs = 10000;       // failures told at most this often
    static constexpr int kDroppedSignalIntervalMs = 1000; // dropped() sent at most this often
    static constexpr int kEndingGraceMs = 1000;           // the most the destructor waits

    // timeLimitMs and reportIntervalMs are shortened by tests only.
    EventCommand(const QString &command, QObject *parent, int timeLimitMs = kTimeLimitMs,
                 int reportIntervalMs = kReportIntervalMs);
    ~EventCommand() override;

    // One event: its JSON line, without a newline (the command gets one after
    // it), and the variables added to the command's environment (RADAR_EVENT,
    // RADAR_TIME, RADAR_ZONE where the event has a zone, RADAR_SERVER), which
    // replace every RADAR_* variable of the client's own environment.
    void run(const QByteArray &jsonLine, const QList<QPair<QString, QString>> &variables);

signals:
    // count events were dropped, unrun, since the last time this was sent,
    // because too many waited. Sent at most every kDroppedSignalIntervalMs.
    void dropped(int count);

private slots:
    void startNext();
    void runEnded(int exitCode, QProcess::ExitStatus status);
    void runFailedToStart(QProcess::ProcessError error);
    void timeLimitReached();
    void reportFailures();
    void sendDropped();

private:
    struct Event {
        QByteArray input;                // the JSON line and its newline
        QProcessEnvironment environment; // the client's, with the event's variables
    };

    void dropOldest();
    void failed(const QString &how);
    int finishWithinGrace();

    const QString command;
    const int timeLimitMs;
    const QProcessEnvironment baseEnvironment; // the client's, without RADAR_* variables
    CommandProcess *process;                   // a child, reused for every run
    QTimer *timeLimit;                         // a child; runs while a command does
    QTimer *reportTimer;                       // a child; runs for an interval after a line
    QTimer *droppedTimer;                      // a child; runs while drops wait to be sent
    std::deque<Event> waiting;                 // oldest first
    bool running = false;                      // a run has started and not ended
    QString killedWhy;                         // how the running command was killed, if it was
    int droppedUnsent = 0;
    int failuresUntold = 0;
    QString lastFailure;       // how the latest failure went, as the lines say it
    QElapsedTimer sinceReport; // since the latest line about failures
};
