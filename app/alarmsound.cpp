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

AlarmSound::AlarmSound(const QString &file, QObject *parent) : QObject(parent), file(file)
{
    if (!QFileInfo(file).isFile()) {
        report("is missing");
        return;
    }
    effect = new QSoundEffect(this);
    connect(effect, SIGNAL(statusChanged()), this, SLOT(checkStatus()));
    effect->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    QTimer::singleShot(kLoadLimitMs, this, SLOT(checkLoaded()));
}

void AlarmSound::sound()
{
    if (effect == nullptr || (sinceSounded.isValid() && sinceSounded.elapsed() < kShortestGapMs))
        return;
    sinceSounded.start();
    effect->play();
}

void AlarmSound::checkStatus()
{
    if (effect != nullptr && effect->status() == QSoundEffect::Error)
        giveUp();
}

void AlarmSound::checkLoaded()
{
    if (effect != nullptr && effect->status() != QSoundEffect::Ready)
        giveUp();
}

// The effect goes too: a sound system that cannot reach a sound server may
// go on trying in the background, at a cost to every frame. Later, since the
// effect may be in the middle of sending the signal that brought us here.
void AlarmSound::giveUp()
{
    effect->deleteLater();
    effect = nullptr;
    report(kCannotPlay);
}

void AlarmSound::report(const char *why)
{
    printClientMessage(QStringLiteral("the alarm sound %1 %2; guard zone alarms stay silent")
                           .arg(file, QLatin1String(why)));
}
