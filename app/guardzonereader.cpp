#include "guardzonereader.h"

#include <QDomElement>

#include <cmath>
#include <optional>

namespace
{

const char kZoneTag[] = "guardZone";
constexpr double kFullTurnDeg = 360.0;

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
    return QString();
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

std::vector<GuardZone> readGuardZones(const QDomElement &root, QStringList &skipped)
{
    std::vector<GuardZone> zones;
    int number = 0;
    for (QDomElement element = root.firstChildElement(kZoneTag); !element.isNull();
         element = element.nextSiblingElement(kZoneTag)) {
        ++number;
        QString problem;
        if (const std::optional<GuardZone> zone = readZone(element, number, problem)) {
            zones.push_back(*zone);
            continue;
        }
        skipped << QStringLiteral("guard zone %1 skipped: %2").arg(number).arg(problem);
    }
    return zones;
}
