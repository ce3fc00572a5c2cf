#include "scenarioparser.h"

#include "quotedtext.h"
#include "target.h"

#include <QFile>

#include <cmath>
#include <utility>

namespace
{

const char kCommentStart = '#';
const char kFieldSeparator = ' '; // between fields once blanks are simplified
constexpr double kMaxValue = 0xFFFF;

} // namespace

ScenarioParser::ScenarioParser(QString name) : fileName(std::move(name)) {}

bool ScenarioParser::parseFile()
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        message = QStringLiteral("%1: cannot open: %2").arg(fileName, file.errorString());
        return false;
    }
    return parse(file);
}

bool ScenarioParser::parse(QIODevice &device)
{
    while (!device.atEnd()) {
        ++lineNumber;
        if (!parseLine(device.readLine()))
            return false;
    }
    return finish();
}

// Lines are taken as bytes, so that whatever a file holds can be quoted
// back exactly; the line break, and a carriage return before it, are blanks.
bool ScenarioParser::parseLine(const QByteArray &line)
{
    const int commentStart = int(line.indexOf(kCommentStart));
    const QByteArray statement = (commentStart < 0 ? line : line.left(commentStart)).simplified();
    if (statement.isEmpty())
        return true;
    const QList<QByteArray> fields = statement.split(kFieldSeparator);
    const QByteArray &keyword = fields.front();
    if (keyword == "loop")
        return parseLoop(fields);
    if (keyword == "target")
        return parseTarget(fields);
    if (keyword == "at")
        return parseWaypoint(fields);
    return fail(lineNumber, QStringLiteral("unknown keyword %1").arg(quotedText(keyword)));
}

bool ScenarioParser::parseLoop(const QList<QByteArray> &fields)
{
    double seconds = 0;
    if (!expectFields(fields, 1, "loop SECONDS") || !parseNumber(fields[1], seconds))
        return false;
    if (loopLine != 0)
        return fail(lineNumber, QStringLiteral("loop already given on line %1").arg(loopLine));
    if (seconds <= 0)
        return fail(lineNumber, QStringLiteral("loop time must be greater than 0"));
    loopLine = lineNumber;
    result.loopSeconds = seconds;
    return true;
}

bool ScenarioParser::parseTarget(const QList<QByteArray> &fields)
{
    double value = 0;
    if (!expectFields(fields, 1, "target VALUE") || !parseNumber(fields[1], value))
        return false;
    if (value < 0 || value > kMaxValue || value != std::floor(value))
        return fail(lineNumber, QStringLiteral("value must be a whole number from 0 to 65535"));
    if (!closeTrack())
        return false;
    if (static_cast<int>(result.tracks.size()) == MaxTargets)
        return fail(lineNumber, QStringLiteral("more than %1 targets").arg(MaxTargets));
    result.tracks.push_back(ScriptedScenario::Track{static_cast<quint16>(value), {}});
    trackLine = lineNumber;
    return true;
}

bool ScenarioParser::parseWaypoint(const QList<QByteArray> &fields)
{
    double seconds = 0;
    double x = 0;
    double y = 0;
    if (!expectFields(fields, 3, "at SECONDS X Y") || !parseNumber(fields[1], seconds) ||
        !parseNumber(fields[2], x) || !parseNumber(fields[3], y))
        return false;
    if (trackLine == 0)
        return fail(lineNumber, QStringLiteral("waypoint before any 'target'"));
    if (seconds < 0)
        return fail(lineNumber, QStringLiteral("time must not be negative"));
    std::vector<ScriptedScenario::Waypoint> &points = result.tracks.back().waypoints;
    if (!points.empty() && seconds <= points.back().seconds)
        return fail(lineNumber, QStringLiteral("time must increase along a track"));
    points.push_back({seconds, static_cast<float>(x), static_cast<float>(y)});
    return true;
}

bool ScenarioParser::parseNumber(const QByteArray &field, double &number)
{
    bool ok = false;
    number = QString::fromUtf8(field).toDouble(&ok);
    if (!ok)
        return fail(lineNumber, QStringLiteral("%1 is not a number").arg(quotedText(field)));
    // Single precision on the wire: larger numbers would arrive as infinity.
    if (!std::isfinite(static_cast<float>(number)))
        return fail(lineNumber, QStringLiteral("%1 is not a finite number").arg(quotedText(field)));
    return true;
}

bool ScenarioParser::expectFields(const QList<QByteArray> &fields, int count, const char *usage)
{
    if (fields.size() == count + 1)
        return true;
    return fail(lineNumber, QStringLiteral("expected '%1'").arg(QLatin1String(usage)));
}

bool ScenarioParser::closeTrack()
{
    if (trackLine != 0 && result.tracks.back().waypoints.empty())
        return fail(trackLine, QStringLiteral("target has no waypoints"));
    return true;
}

bool ScenarioParser::finish()
{
    if (!closeTrack())
        return false;
    if (loopLine == 0)
        return true;
    for (const ScriptedScenario::Track &track : result.tracks) {
        if (track.waypoints.back().seconds > result.loopSeconds)
            return fail(loopLine, QStringLiteral("loop ends before the last waypoint"));
    }
    return true;
}

bool ScenarioParser::fail(int line, const QString &reason)
{
    message = QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(reason);
    return false;
}
