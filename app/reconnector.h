#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class Logic;
class QTimer;

// Keeps trying to reach the radar server while the client has no connection
// to it: an attempt at once, then one a second, each given the second until
// the next to connect. An attempt never blocks, so the frames, the keys and
// the time limit go on. Says on standard error when an outage begins and when
// it ends, with the server's host and port and, at the end, how long it
// lasted.
class Reconnector : public QObject
{
    Q_OBJECT

public:
    // logic is not owned and must outlive this object.
    Reconnector(Logic *logic, const QString &host, quint16 port, QObject *parent);

    // True from begin() to end().
    bool isActive() const;

    // The connection could not be made at start-up, or it has been lost:
    // drops it and the targets it brought, and starts the attempts.
    void begin(bool neverConnected);
    // The first frame of a new connection has come: the attempts stop.
    void end();

private slots:
    void attempt();

private:
    QString server() const;

    Logic *logic;
    const QString host;
    const quint16 port;
    QTimer *attemptTimer;
    QElapsedTimer outageClock; // running while an outage lasts
};
