#include "alarmsound.h"

#include "clientmessage.h"
#include "soundserverwatch.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#if QT_VERSION_MAJOR >= 6
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#endif

#include <algorithm>

namespace
{

// A WAV file loads in a moment; one that has not by then never will (a file
// that is not a sound stays "loading" for good on some Qt versions).
constexpr int kLoadLimitMs = 3000;
constexpr int kMsPerSecond = 1000;
const char kMissing[] = "the file is missing";
const char kNotPlayable[] = "not a WAV file Qt can play";
const char kNoServer[] = "no sound server";

#if QT_VERSION_MAJOR >= 6
// Whether Qt's sound system reaches the server. Qt 6.4 connects once when
// first used, and after losing the server tries again only once, 3 s later:
// after a longer outage its effects still load and report "ready", and play
// nothing. A sink that cannot open says so at once, without a sound.
bool qtReachesServer()
{
    constexpr int kRate = 8000;
    QAudioFormat format;
    format.setSampleRate(kRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);
    QByteArray silence(int(sizeof(qint16)), '\0');
    QBuffer source(&silence);
    source.open(QIODevice::ReadOnly);
    sink.start(&source);
    const bool opened = sink.error() == QAudio::NoError;
    sink.stop();
    return opened;
}
#else
// Qt 5 connects again for each new effect, which reaches "ready" only through
// the server.
bool qtReachesServer()
{
    return true;
}
#endif

} // namespace

AlarmSound::AlarmSound(const QString &file, QObject *parent)
    : QObject(parent), file(file), server(new SoundServerWatch(this)),
      retryTimer(newTimer(kRetryMs, SLOT(load()))),
      loadTimer(newTimer(kLoadLimitMs, SLOT(checkLoaded()))),
      waitTimer(newTimer(kShortestGapMs, SLOT(playWaiting()))), pacing(kShortestGapMs)
{
    clock.start();
    // Precise: a coarse timer may fire early, and the waiting sound would wait
    // for a second round.
    waitTimer->setTimerType(Qt::PreciseTimer);
    connect(server, SIGNAL(connected()), this, SLOT(loadEffect()));
    connect(server, SIGNAL(lost()), this, SLOT(serverLost()));
    // Once the constructor has returned, so that whoever connects to
    // availabilityChanged() hears about the first try too.
    QMetaObject::invokeMethod(this, "load", Qt::QueuedConnection);
}

QTimer *AlarmSound::newTimer(int intervalMs, const char *slot)
{
    QTimer *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(intervalMs);
    connect(timer, SIGNAL(timeout()), this, slot);
    return timer;
}

void AlarmSound::sound()
{
    if (!available)
        return;
    if (pacing.ask(clock.elapsed()))
        effect->play();
    else
        armWaitTimer();
}

void AlarmSound::playWaiting()
{
    if (!available)
        return;
    if (pacing.takeDue(clock.elapsed()))
        effect->play();
    else
        armWaitTimer();
}

void AlarmSound::armWaitTimer()
{
    const qint64 due = pacing.waitingUntil();
    if (due != AlarmPacing::kNoneWaiting && !waitTimer->isActive())
        waitTimer->start(int(std::max<qint64>(0, due - clock.elapsed())));
}

// Qt's sound system is first used only once the server is known to be there:
// Qt 6.4 never tries again when it found none.
void AlarmSound::load()
{
    if (!QFileInfo(file).isFile())
        becomeUnavailable(kMissing);
    else if (server->isConnected())
        loadEffect();
    else
        server->connectToServer();
}

void AlarmSound::loadEffect()
{
    dropEffect();
    effect = new QSoundEffect(this);
    connect(effect, SIGNAL(statusChanged()), this, SLOT(checkStatus()));
    effect->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    loadTimer->start();
}

void AlarmSound::checkStatus()
{
    if (effect == nullptr || available)
        return;
    if (effect->status() == QSoundEffect::Error)
        becomeUnavailable(kNotPlayable);
    else if (effect->status() == QSoundEffect::Ready && qtReachesServer())
        becomeAvailable();
    else if (effect->status() == QSoundEffect::Ready)
        becomeUnavailable(kNoServer);
}

void AlarmSound::checkLoaded()
{
    if (effect != nullptr && effect->status() != QSoundEffect::Ready)
        becomeUnavailable(kNotPlayable);
}

void AlarmSound::serverLost()
{
    becomeUnavailable(kNoServer);
}

void AlarmSound::becomeAvailable()
{
    loadTimer->stop();
    available = true;
    if (!saidUnavailable)
        return;
    saidUnavailable = false;
    printClientMessage(
        QStringLiteral("the alarm sound %1 is back: guard zone alarms sound again").arg(file));
    emit availabilityChanged(true);
}

void AlarmSound::becomeUnavailable(const char *why)
{
    available = false;
    loadTimer->stop();
    waitTimer->stop();
    pacing.dropWaiting();
    dropEffect();
    retryTimer->start();
    if (saidUnavailable)
        return;
    saidUnavailable = true;
    printClientMessage(QStringLiteral("the alarm sound %1 cannot be played here (%2); guard zone "
                                      "alarms stay silent until it can, trying again every %3 s")
                           .arg(file, QLatin1String(why))
                           .arg(kRetryMs / kMsPerSecond));
    emit availabilityChanged(false);
}

// The effect goes too: a sound system that cannot reach a sound server may
// go on trying in the background, at a cost to every frame, and Qt 5's stays
// "playing" for good. Later, since the effect may be in the middle of sending
// the signal that brought us here.
void AlarmSound::dropEffect()
{
    if (effect == nullptr)
        return;
    effect->disconnect(this);
    effect->deleteLater();
    effect = nullptr;
}
