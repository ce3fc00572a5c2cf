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

QString linkLine(const PanelFacts &facts)
{
    if (facts.lastFrameAge < 0.0 || facts.state.link == StationState::Link::Connecting)
        return QStringLiteral("CONNECTING");
    const QString age = QString::number(facts.lastFrameAge, 'f', kTenths);
    if (facts.state.link == StationState::Link::NoSignal)
        return QStringLiteral("NO SIGNAL %1 S").arg(age);
    return QStringLiteral("LIVE AGE %1 S").arg(age);
}

QString listed(const char *word, const std::vector<int> &zones)
{
    QStringList line{QLatin1String(word)};
    for (int zone : zones)
        line << QString::number(zone);
    return line.join(QLatin1Char(' '));
}

QString zonesLine(const PanelFacts &facts)
{
    if (!facts.state.zonesInAlarm.empty())
        return listed("ALARM", facts.state.zonesInAlarm);
    if (!facts.zonesUnknown.empty())
        return listed("UNKNOWN", facts.zonesUnknown);
    return QStringLiteral("ZONES %1").arg(facts.zones);
}

} // namespace

PanelTexts stationPanels(const PanelFacts &facts)
{
    PanelTexts panels;
    panels.lines[PanelTexts::Link] = {fitted(linkLine(facts)), fitted(facts.server)};
    panels.lines[PanelTexts::Targets] = {
        fitted(QStringLiteral("TARGETS %1").arg(facts.state.targets)),
        fitted(QStringLiteral("HITS %1 LAST TURN").arg(facts.hitsInLastTurn))};
    const QString time = facts.time.toString(QStringLiteral("HH:mm:ss"));
    if (facts.zones == 0) {
        panels.lines[PanelTexts::Zones] = {time, QString()};
        return panels;
    }
    panels.lines[PanelTexts::Zones] = {fitted(zonesLine(facts)), time};
    panels.alarm = !facts.state.zonesInAlarm.empty();
    return panels;
}
