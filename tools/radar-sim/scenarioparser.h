#pragma once

#include "scriptedscenario.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// Reads the scenario text format. One statement per line; '#' starts a
// comment that runs to the end of the line; blank lines are skipped.
//
//   loop SECONDS      at most once: the script starts over after this time
//   target VALUE      starts a track; VALUE (0..65535) goes in the value field
//   at SECONDS X Y    a waypoint of the current track, times strictly increasing
//
// Errors read "FILE:LINE: reason", LINE counted from 1; a field they name is
// quoted whole, its unprintable bytes escaped (see quotedText).
class ScenarioParser
{
public:
    explicit ScenarioParser(QString fileName);

    // Parses the file named at construction. False when it cannot be read.
    bool parseFile();
    // Parses text read from device, naming fileName in messages.
    bool parse(QIODevice &device);

    const ScriptedScenario::Script &script() const { return result; }
    const QString &error() const { return message; }

private:
    bool parseLine(const QByteArray &line);
    bool parseLoop(const QList<QByteArray> &fields);
    bool parseTarget(const QList<QByteArray> &fields);
    bool parseWaypoint(const QList<QByteArray> &fields);
    bool parseNumber(const QByteArray &field, double &number);
    bool expectFields(const QList<QByteArray> &fields, int count, const char *usage);
    bool closeTrack();
    bool finish();
    bool fail(int line, const QString &reason);

    QString fileName;
    ScriptedScenario::Script result;
    QString message;
    int lineNumber = 0;
    int trackLine = 0; // line of the 'target' statement of the open track
    int loopLine = 0;  // line of the 'loop' statement, 0 while there is none
};
