#pragma once

#include "faultoptions.h"
#include "wireformat.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The simulator's command line, parsed and checked.
class SimOptions
{
public:
    enum class Mode { kDemo, kWalkers, kScenario, kReplay, kRecord };
    enum class Outcome { Run, Help, Version, Error };

    // arguments[0] is the program name. On Error, error() says why; on Help,
    // help() holds the text to print; on Version the caller prints its own.
    Outcome parse(const QStringList &arguments);

    Mode mode = Mode::kDemo;
    QHostAddress listenAddress{QHostAddress::LocalHost};
    quint16 port = wire::kDefaultPort; // 0: any free port
    quint32 seed = 1;
    int targets = 0; // random walkers, in Walkers mode
    QString file;    // the scenario, recording to replay, or recording to write
    QString upstreamHost;
    quint16 upstreamPort = 0;
    bool loop = false;  // replay starts over at the end
    bool quiet = false; // no status line
    FaultOptions faults;

    const QString &error() const { return message; }
    const QString &help() const { return helpText; }

private:
    bool readMode(const QCommandLineParser &parser);
    bool readListen(const QCommandLineParser &parser);
    bool readUpstream(const QString &text);
    bool readFaults(const QCommandLineParser &parser);
    bool readNumber(const QCommandLineParser &parser, const QString &name, qint64 min, qint64 max,
                    qint64 &value);
    bool fail(const QString &reason);

    QString message;
    QString helpText;
};
