#include "recorder.h"

#include "removalonsignal.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

Recorder::Recorder() = default;

Recorder::~Recorder()
{
    if (file.isOpen() && !inPlace)
        file.remove();
}

QString Recorder::growingPath(const QString &path)
{
    return QStringLiteral("%1.%2.part").arg(path).arg(QCoreApplication::applicationPid());
}

bool Recorder::open(const QString &path, QString &error)
{
    finalPath = path;
    file.setFileName(growingPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("%1: cannot write: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    removalOnSignal = std::make_unique<RemovalOnSignal>(file.fileName());
    out.setDevice(&file);
    Recording::writeHeader(out);
    if (file.flush())
        return true;
    error = QStringLiteral("%1: cannot write: %2").arg(file.fileName(), file.errorString());
    return false;
}

bool Recorder::append(const RecordedFrame &frame, QString &error)
{
    Recording::writeFrame(out, frame);
    if (out.status() != QDataStream::Ok || !file.flush()) {
        error = QStringLiteral("%1: cannot write: %2")
                    .arg(inPlace ? finalPath : file.fileName(), file.errorString());
        return false;
    }
    return inPlace || putInPlace(error);
}

// rename() replaces the old file in one step, and the open file goes on
// growing under its new name.
bool Recorder::putInPlace(QString &error)
{
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(finalPath);
    if (std::rename(from.constData(), to.constData()) != 0) {
        error = QStringLiteral("cannot put the recording in place of %1: %2")
                    .arg(finalPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    inPlace = true;
    removalOnSignal.reset();
    return true;
}
