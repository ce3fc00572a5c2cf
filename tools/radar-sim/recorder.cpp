#include "recorder.h"

#include "removalonsignal.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

Recorder::Recorder() = default;

Recorder::~Recorder()
{
    if (file.isOpen() && !recorded)
        file.remove();
}

QString Recorder::growingPath(const QString &path)
{
    return QStringLiteral("%1.%2.part").arg(path).arg(QCoreApplication::applicationPid());
}

bool Recorder::open(const QString &path, QString &error)
{
    finalPath = path;
    currentPath = growingPath(path);
    file.setFileName(currentPath);
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
        error = QStringLiteral("%1: cannot write: %2").arg(currentPath, file.errorString());
        return false;
    }
    if (recorded)
        return true;
    recorded = true;
    return putInPlace(error);
}

// rename() replaces the old file in one step, and the open file goes on
// growing under its new name. Where it cannot, the recording goes on where it
// is, and is kept there.
bool Recorder::putInPlace(QString &error)
{
    removalOnSignal.reset();
    const QByteArray from = QFile::encodeName(currentPath);
    const QByteArray to = QFile::encodeName(finalPath);
    if (std::rename(from.constData(), to.constData()) != 0) {
        error = QStringLiteral("cannot put the recording in place of %1: %2; it goes on in %3")
                    .arg(finalPath, QString::fromLocal8Bit(std::strerror(errno)), currentPath);
        return false;
    }
    currentPath = finalPath;
    return true;
}
