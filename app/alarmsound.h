#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSoundEffect;

// The guard zones' alarm, played through the desktop's sound server. It
// sounds at most once every kShortestGapMs, however many ask: a sound is
// never queued behind another, needs no confirmation and never holds up the
// display. A file that is missing or cannot be played is reported once on
// standard error, and the alarm is then silent.
class AlarmSound : public QObject
{
    Q_OBJECT

public:
    static constexpr int kShortestGapMs = 2000;

    // Loads the file at once: the sound system takes a while to set itself
    // up, which must not delay the first alarm.
    AlarmSound(const QString &file, QObject *parent);

public slots:
    void sound();

private slots:
    void checkStatus();
    void checkLoaded();

private:
    void giveUp();
    void report(const char *why);

    const QString file;
    QSoundEffect *effect = nullptr; // a child; null without a sound that plays
    QElapsedTimer sinceSounded;     // invalid until the first sound
};
