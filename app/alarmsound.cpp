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
    if (effect->status() == QSoundEffect::Error)
        reportOnce("cannot be played");
}

void AlarmSound::checkLoaded()
{
    if (effect->status() != QSoundEffect::Ready)
        reportOnce("cannot be played");
}

void AlarmSound::reportOnce(const char *why)
{
    if (failed)
        return;
    failed = true;
    printClientMessage(QStringLiteral("the alarm sound %1 %2; guard zone alarms stay silent")
                           .arg(file, QLatin1String(why)));
}
