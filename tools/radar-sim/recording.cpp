#include "recording.h"

#include "wireformat.h"

#include <QDataStream>
#include <QFile>

#include <algorithm>

namespace
{

const QByteArray kMagic = QByteArrayLiteral("RADARREC");

void prepare(QDataStream &stream)
{
    stream.setVersion(wire::kStreamVersion);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
}

} // namespace

void Recording::writeHeader(QDataStream &out)
{
    prepare(out);
    out.writeRawData(kMagic.constData(), kMagic.size());
    out << FormatVersion;
}

void Recording::writeFrame(QDataStream &out, const RecordedFrame &frame)
{
    const int count = int(std::min<qsizetype>(frame.targets.size(), wire::kMaxCount));
    out << frame.milliseconds << frame.extraWord << static_cast<quint16>(count);
    for (int i = 0; i < count; ++i)
        out << frame.targets[i].x << frame.targets[i].y << frame.targets[i].value;
}

bool Recording::load(const QString &path, std::vector<RecordedFrame> &frames, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
        return false;
    }
    QDataStream in(&file);
    prepare(in);
    QString reason;
    if (!readHeader(in, reason)) {
        error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    frames.clear();
    while (!in.atEnd()) {
        RecordedFrame frame;
        if (!readFrame(in, frame)) {
            error = QStringLiteral("%1: frame %2 is cut short").arg(path).arg(frames.size() + 1);
            return false;
        }
        if (!frames.empty() && frame.milliseconds < frames.back().milliseconds) {
            error = QStringLiteral("%1: frame %2 is older than the one before it")
                        .arg(path)
                        .arg(frames.size() + 1);
            return false;
        }
        frames.push_back(std::move(frame));
    }
    return true;
}

bool Recording::readHeader(QDataStream &in, QString &reason)
{
    QByteArray magic(kMagic.size(), '\0');
    if (in.readRawData(magic.data(), magic.size()) != magic.size() || magic != kMagic) {
        reason = QStringLiteral("not a radar-sim recording");
        return false;
    }
    quint16 version = 0;
    in >> version;
    if (in.status() != QDataStream::Ok || version != FormatVersion) {
        reason = QStringLiteral("unsupported recording version %1").arg(version);
        return false;
    }
    return true;
}

bool Recording::readFrame(QDataStream &in, RecordedFrame &frame)
{
    quint16 count = 0;
    in >> frame.milliseconds >> frame.extraWord >> count;
    frame.targets.reserve(count);
    for (int i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        SimTarget t{};
        in >> t.x >> t.y >> t.value;
        frame.targets.append(t);
    }
    return in.status() == QDataStream::Ok;
}
