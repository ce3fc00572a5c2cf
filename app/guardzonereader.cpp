#include "guardzonereader.h"

#include "scenelayout.h"
#include "wirescene.h"

#include <QDomElement>

#include <cmath>
#include <optional>

namespace
{

const char kZoneTag[] = "guardZone";

// The value of element's first child named key, or why there is none.
std::optional<double> readValue(const QDomElement &zone, const char *key, QString &problem)
{
    const QDomElement element = zone.firstChildElement(QLatin1String(key));
    if (element.isNull()) {
        problem = QStringLiteral("'%1' is missing").arg(QLatin1String(key));
        return std::nullopt;
    }
    bool ok = false;
    const double value = element.text().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        problem = QStringLiteral("'%1' is not a number: '%2'")
                      .arg(QLatin1String(key), element.text().trimmed());
        return std::nullopt;
    }
    return value;
}

QString rangeProblem(const GuardZone &zone)
{
    for (const auto &[key, value] : {std::pair{"from", zone.from}, std::pair{"to", zone.to}}) {
        if (value < 0.0 || value > kFullTurnDeg)
            return QStringLiteral("'%1' is %2, outside 0 to 360")
                .arg(QLatin1String(key))
                .arg(value);
    }
    for (const auto &[key, value] :
         {std::pair{"inner", zone.inner}, std::pair{"outer", zone.outer}}) {
        if (value < 0.0)
            return QStringLiteral("'%1' is %2, below 0").arg(QLatin1String(key)).arg(value);
    }
    if (zone.inner > zone.outer)
        return QStringLiteral("'inner' %1 is above 'outer' %2").arg(zone.inner).arg(zone.outer);
    if (std::fmod(zone.from, kFullTurnDeg) == std::fmod(zone.to, kFullTurnDeg) &&
        !zone.isWholeCircle())
        return QStringLiteral("'from' %1 and 'to' %2 are the same bearing; use 0 and 360 for a "
                              "whole circle")
            .arg(zone.from)
            .arg(zone.to);
    if (zone.inner > scene::kScreenCornerZoneDistance)
        return QStringLiteral("'inner' %1 lies beyond the screen's corner (%2)")
            .arg(zone.inner)
            .arg(scene::kScreenCornerZoneDistance);
    return QString();
}

// No target beyond the screen's corner is ever seen, so a larger `outer`
// means "to the edge"; taken as it stands it would only draw off the screen.
void clampOuter(GuardZone &zone, std::vector<GuardZoneNote> &notes)
{
    if (zone.outer <= scene::kScreenCornerZoneDistance)
        return;
    notes.push_back({zone.number, false,
                     QStringLiteral("'outer' %1 lies beyond the screen's corner; taken as %2")
                         .arg(zone.outer)
                         .arg(scene::kScreenCornerZoneDistance)});
    zone.outer = scene::kScreenCornerZoneDistance;
}

// The zone, or why it cannot be used.
std::optional<GuardZone> readZone(const QDomElement &element, int number, QString &problem)
{
    GuardZone zone{number, 0.0, 0.0, 0.0, 0.0};
    const std::pair<const char *, double *> fields[] = {
        {"from", &zone.from}, {"to", &zone.to}, {"inner", &zone.inner}, {"outer", &zone.outer}};
    for (const auto &[key, target] : fields) {
        const std::optional<double> value = readValue(element, key, problem);
        if (!value)
            return std::nullopt;
        *target = *value;
    }
    problem = rangeProblem(zone);
    if (!problem.isEmpty())
        return std::nullopt;
    return zone;
}

} // namespace

QString GuardZoneNote::text() const
{
    return QStringLiteral("guard zone %1%2: %3")
        .arg(zone)
        .arg(skipped ? QStringLiteral(" skipped") : QString(), reason);
}

std::vector<GuardZone> readGuardZones(const QDomElement &root, std::vector<GuardZoneNote> &notes)
{
    std::vector<GuardZone> zones;
    int number = 0;
    for (QDomElement element = root.firstChildElement(kZoneTag); !element.isNull();
         element = element.nextSiblingElement(kZoneTag)) {
        ++number;
        QString problem;
        if (std::optional<GuardZone> zone = readZone(element, number, problem)) {
            clampOuter(*zone, notes);
            zones.push_back(*zone);
            continue;
        }
        notes.push_back({number, true, problem});
    }
    return zones;
}
