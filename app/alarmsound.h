#pragma once

#include "alarmpacing.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSoundEffect;
class QTimer;
class SoundServerWatch;

// The guard zones' alarm, played through the desktop's sound server. It
// sounds at most once every kShortestGapMs: a sound asked for sooner is
// played when the gap ends, and at most one waits (AlarmPacing). It needs no
// confirmation and never holds up the display. While it cannot be played
// (the file is missing or no sound, or there is no sound server) it is tried
// again every kRetryMs, and sounds asked for meanwhile are not kept; standard
// error and availabilityChanged() say once when it becomes unavailable and
// once when it is back.
class AlarmSound : public QObject
{
    Q_OBJECT

public:
    static constexpr int kShortestGapMs = 2000;
    static constexpr int kRetryMs = 10000;

    // Loads the file at once: the sound system takes a while to set itself
    // up, which must not delay the first alarm.
    AlarmSound(const QString &file, QObject *parent);

public slots:
    void sound();

signals:
    // Sent with the line on standard error, never at start-up when the
    // sound can be played.
    void availabilityChanged(bool available);

private slots:
    void load();
    void loadEffect();
    void checkStatus();
    void checkLoaded();
    void serverLost();
    void playWaiting();

private:
    QTimer *newTimer(int intervalMs, const char *slot);
    void armWaitTimer();
    void becomeAvailable();
    void becomeUnavailable(const char *why);
    void dropEffect();

    const QString file;
    SoundServerWatch *server;       // a child
    QSoundEffect *effect = nullptr; // a child; only while the server is there
    QTimer *retryTimer;             // a child: the next try after a failure
    QTimer *loadTimer;              // a child: how long the effect may take to load
    QTimer *waitTimer;              // a child: when the waiting sound is due
    QElapsedTimer clock;            // the pacing's, from construction
    AlarmPacing pacing;
    bool available = false;
    bool saidUnavailable = false; // the last line written said so
};
