#include "stationstatus.h"

#include <QStringList>

namespace
{

// "1 target", "12 targets".
QString targetCount(int targets)
{
    return targets == 1 ? QStringLiteral("1 target") : QStringLiteral("%1 targets").arg(targets);
}

// "zone 2 in alarm", "zones 2 and 3 in alarm", "zones 1, 2 and 4 in alarm".
QString zonesInAlarm(const std::vector<int> &zones)
{
    QStringList numbers;
    for (int zone : zones)
        numbers << QString::number(zone);
    if (numbers.size() == 1)
        return QStringLiteral("zone %1 in alarm").arg(numbers.first());
    const QString last = numbers.takeLast();
    return QStringLiteral("zones %1 and %2 in alarm").arg(numbers.join(QStringLiteral(", ")), last);
}

} // namespace

// An IPv6 address is bracketed, so that its colons do not run into the port's.
// A line break in the settings' host would start another assignment in the
// manager's message: it becomes a space.
QString serverAddress(const QString &host, quint16 port)
{
    QString shownHost = host;
    shownHost.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (shownHost.contains(QLatin1Char(':')))
        shownHost = QStringLiteral("[%1]").arg(shownHost);
    return QStringLiteral("%1:%2").arg(shownHost).arg(port);
}

QString statusLine(const QString &server, const StationState &state)
{
    switch (state.link) {
    case StationState::Link::Connecting:
        return QStringLiteral("connecting to %1").arg(server);
    case StationState::Link::NoSignal:
        return QStringLiteral("NO SIGNAL from %1 for %2 s")
            .arg(server)
            .arg(state.secondsWithoutFrames);
    case StationState::Link::Watching:
        break;
    }
    QString line = QStringLiteral("watching %1: %2").arg(server, targetCount(state.targets));
    if (!state.zonesInAlarm.empty())
        line += QStringLiteral(", ") + zonesInAlarm(state.zonesInAlarm);
    return line;
}
