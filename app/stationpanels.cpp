#include "stationpanels.h"

#include <QStringList>

namespace
{

const char kEllipsis[] = "...";
constexpr int kTenths = 1; // digits after the point of the frame's age

QString fitted(const QString &line)
{
    if (line.size() <= kPanelLineChars)
        return line;
    return line.left(kPanelLineChars - int(sizeof kEllipsis) + 1) + QLatin1String(kEllipsis);
}

QString linkWord(const PanelFacts &facts)
{
    switch (facts.state.link) {
    case StationState::Link::Watching:
        return QStringLiteral("LIVE");
    case StationState::Link::NoSignal:
        return QStringLiteral("NO SIGNAL %1 S").arg(facts.state.secondsWithoutFrames);
    case StationState::Link::Connecting:
        break;
    }
    return QStringLiteral("CONNECTING");
}

QString frameAge(double seconds)
{
    if (seconds < 0.0)
        return QStringLiteral("NO FRAME YET");
    return QStringLiteral("FRAME %1 S AGO").arg(seconds, 0, 'f', kTenths);
}

QString zonesLine(const PanelFacts &facts)
{
    if (facts.state.zonesInAlarm.empty())
        return QStringLiteral("ZONES %1").arg(facts.zones);
    QStringList numbers;
    for (int zone : facts.state.zonesInAlarm)
        numbers << QString::number(zone);
    return QStringLiteral("ALARM ") + numbers.join(QLatin1Char(' '));
}

} // namespace

PanelTexts stationPanels(const PanelFacts &facts)
{
    PanelTexts panels;
    panels.lines[PanelTexts::Link] = {fitted(linkWord(facts)), fitted(facts.server),
                                      fitted(frameAge(facts.lastFrameAge))};
    panels.lines[PanelTexts::Targets] = {
        fitted(QStringLiteral("TARGETS %1").arg(facts.state.targets)),
        fitted(QStringLiteral("HITS %1 A TURN").arg(facts.hitsInLastTurn)), QString()};
    const QString time = facts.time.toString(QStringLiteral("HH:mm:ss"));
    if (facts.zones == 0) {
        panels.lines[PanelTexts::Zones] = {time, QString(), QString()};
        return panels;
    }
    panels.lines[PanelTexts::Zones] = {fitted(zonesLine(facts)), time, QString()};
    panels.alarm = !facts.state.zonesInAlarm.empty();
    return panels;
}
