#include "procstatus.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace
{

long statusKib(const QString &statusPath, const char *field)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QString("%1:\\s+([0-9]+) kB").arg(field));
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

} // namespace

long processStatusKib(qint64 pid, const char *field)
{
    return statusKib(QString("/proc/%1/status").arg(pid), field);
}

long ownStatusKib(const char *field)
{
    return statusKib(QStringLiteral("/proc/self/status"), field);
}

int openFileCount(qint64 pid)
{
    const QDir descriptors(QString("/proc/%1/fd").arg(pid));
    return descriptors.exists() ? int(descriptors.entryList(QDir::Files | QDir::System).size())
                                : -1;
}
