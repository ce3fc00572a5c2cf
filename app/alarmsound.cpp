#include "alarmsound.h"

#include "clientmessage.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace
{

// A WAV file loads in a moment; one that has not by then never will (a file
// that is not a sound stays "loading" for good on some Qt versions).
constexpr int kLoadLimitMs = 3000;
// Without a sound server some Qt versions never get the file ready either.
const char kCannotPlay[] = "cannot be played here (not a WAV file, or no sound server)";

} // namespace

AlarmSound::AlarmSound(const QString &file, QObject *parent)
    : QObject(parent), file(file), effect(new QSoundEffect(this))
{
    if (!QFileInfo(file).isFile()) {
        reportOnce("is missing");
        return;
    }
    connect(effect, SIGNAL(statusChanged()), this, SLOT(checkStatus()));
    effect->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    QTimer::singleShot(kLoadLimitMs, this, SLOT(checkLoaded()));
}

void AlarmSound::sound()
{
    if (failed || (sinceSounded.isValid() && sinceSounded.elapsed() < kShortestGapMs))
        return;
    sinceSounded.start();
    effect->play();
}

void AlarmSound::checkStatus()
{
    if (effect != nullptr && effect->status() == QSoundEffect::Error)
        reportOnce(kCannotPlay);
}

void AlarmSound::checkLoaded()
{
    if (effect != nullptr && effect->status() != QSoundEffect::Ready)
        reportOnce(kCannotPlay);
}

// The effect goes too: a sound system that cannot reach a sound server may
// go on trying in the background, at a cost to every frame.
void AlarmSound::reportOnce(const char *why)
{
    if (failed)
        return;
    failed = true;
    delete effect;
    effect = nullptr;
    printClientMessage(QStringLiteral("the alarm sound %1 %2; guard zone alarms stay silent")
                           .arg(file, QLatin1String(why)));
}
