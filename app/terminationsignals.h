#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT as a Qt signal, so that a supervisor's stop or a Ctrl-C
// ends the client through its event loop, as a key does, and what it records
// at the end is written. The handler only writes a byte to a pipe, the one
// thing a signal handler may safely do; the event loop reads it. One object
// at a time; its destruction gives the signals their default action back.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent);
    ~TerminationSignals() override;

signals:
    void received();

private slots:
    void readSignal();

private:
    QSocketNotifier *notifier = nullptr; // a child; null when the pipe could not be made
};
