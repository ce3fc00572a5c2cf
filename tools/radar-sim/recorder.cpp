#include "recorder.h"

bool Recorder::open(const QString &path, QString &error)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("%1: cannot write: %2").arg(path, file.errorString());
        return false;
    }
    out.setDevice(&file);
    Recording::writeHeader(out);
    return file.flush();
}

bool Recorder::append(const RecordedFrame &frame)
{
    Recording::writeFrame(out, frame);
    return out.status() == QDataStream::Ok && file.flush();
}
