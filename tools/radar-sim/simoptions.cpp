#include "simoptions.h"

#include "frameencoder.h"
#include "target.h"

#include <QCommandLineParser>

#include <limits>

namespace
{

constexpr qint64 kMaxPort = 65535;
constexpr qint64 kMaxSeed = std::numeric_limits<quint32>::max();
constexpr qint64 kMaxDelayMs = 60 * 1000;
constexpr qint64 kMaxSeconds = 24 * 60 * 60;
constexpr qint64 kMaxShortfall = 0xFFFF;
constexpr qint64 kMaxFrames = std::numeric_limits<qint64>::max();

const char *const kDescription =
    "A radar server for the radar display client. It answers every request byte 0x02\n"
    "with one frame of target positions. Without --targets, --scenario, --replay or\n"
    "--record it shows a dozen targets crossing and circling the screen.\n"
    "The fault options make it misbehave on purpose, for testing clients.";

void addOptions(QCommandLineParser &p)
{
    const QString defaultPort = QString::number(wire::kDefaultPort);
    p.addOptions({
        {"listen", "Listen on <address> (default 127.0.0.1).", "address", "127.0.0.1"},
        {{"p", "port"},
         QStringLiteral("Listen on <port> (default %1; 0 picks a free one).").arg(defaultPort),
         "port",
         defaultPort},
        {"seed", "Seed of the random tracks (default 1); equal seeds, equal tracks.", "n", "1"},
        {"targets", "Serve <n> random walkers, 0 to 1000, instead of the demo.", "n"},
        {"scenario", "Serve the scripted tracks of <file>, looping at the end.", "file"},
        {"replay",
         "Serve the recording <file> with its original timing, to each client "
         "from the moment it connects.",
         "file"},
        {"loop", "With --replay: start the recording over at its end."},
        {"record", "Run as a proxy to --upstream and record its frames to <file>.", "file"},
        {"upstream", "With --record: the real radar server.", "host:port"},
        {"byte-delay", "Fault: send frames one byte at a time, <ms> apart.", "ms"},
        {"pair-frames", "Fault: hold every other frame back and write two frames at once."},
        {"oversize-count", "Fault: pad every frame to <n> targets, 1001 to 6553, all sent.", "n"},
        {"short-size",
         "Fault: size fields claim <bytes> less than the frame carries "
         "(not below 0).",
         "bytes"},
        {"close-after", "Fault: close each connection <seconds> after accepting it.", "seconds"},
        {"reset-after",
         "Fault: reset each connection <ms> after accepting it, whatever it is sending.", "ms"},
        {"flood",
         "Fault: send a frame every <ms> without waiting for requests, which are "
         "then left unanswered.",
         "ms"},
        {"refuse", "Fault: close every connection at once, before any byte."},
        {"accept-delay",
         "Fault: let connections wait <ms> in a full accept queue before accepting them; "
         "a client gets in when it sends its handshake again.",
         "ms"},
        {"silent-after",
         "Fault: after <n> frames in all, send nothing more and keep every connection open.", "n"},
        {{"q", "quiet"}, "No status line on standard error."},
    });
}

} // namespace

SimOptions::Outcome SimOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    addOptions(parser);
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return Outcome::Error;
    }
    if (parser.isSet(helpOption)) {
        helpText = parser.helpText();
        return Outcome::Help;
    }
    if (parser.isSet(versionOption))
        return Outcome::Version;
    if (!parser.positionalArguments().isEmpty()) {
        fail("unexpected argument " + parser.positionalArguments().front());
        return Outcome::Error;
    }
    qint64 seedValue = seed;
    if (!readMode(parser) || !readListen(parser) || !readFaults(parser) ||
        !readNumber(parser, "seed", 0, kMaxSeed, seedValue))
        return Outcome::Error;
    seed = static_cast<quint32>(seedValue);
    quiet = parser.isSet("quiet");
    return Outcome::Run;
}

bool SimOptions::readMode(const QCommandLineParser &parser)
{
    const QStringList sources = {"targets", "scenario", "replay", "record"};
    QStringList given;
    for (const QString &name : sources) {
        if (parser.isSet(name))
            given << "--" + name;
    }
    if (given.size() > 1)
        return fail(given.join(" and ") + " cannot be combined");
    if (parser.isSet("loop") && !parser.isSet("replay"))
        return fail("--loop needs --replay");
    if (parser.isSet("record") != parser.isSet("upstream"))
        return fail("--record and --upstream go together");
    loop = parser.isSet("loop");
    qint64 count = targets;
    if (parser.isSet("targets")) {
        mode = Mode::kWalkers;
        if (!readNumber(parser, "targets", 0, MaxTargets, count))
            return false;
        targets = static_cast<int>(count);
    } else if (parser.isSet("scenario")) {
        mode = Mode::kScenario;
        file = parser.value("scenario");
    } else if (parser.isSet("replay")) {
        mode = Mode::kReplay;
        file = parser.value("replay");
    } else if (parser.isSet("record")) {
        mode = Mode::kRecord;
        file = parser.value("record");
        return readUpstream(parser.value("upstream"));
    }
    return true;
}

bool SimOptions::readListen(const QCommandLineParser &parser)
{
    if (!listenAddress.setAddress(parser.value("listen")))
        return fail("--listen: '" + parser.value("listen") + "' is not an IP address");
    qint64 value = port;
    if (!readNumber(parser, "port", 0, kMaxPort, value))
        return false;
    port = static_cast<quint16>(value);
    return true;
}

bool SimOptions::readUpstream(const QString &text)
{
    const int colon = text.lastIndexOf(':');
    bool ok = false;
    const int value = colon > 0 ? text.mid(colon + 1).toInt(&ok) : 0;
    if (!ok || value < 1 || value > kMaxPort)
        return fail("--upstream: '" + text + "' is not HOST:PORT");
    upstreamHost = text.left(colon);
    upstreamPort = static_cast<quint16>(value);
    return true;
}

bool SimOptions::readFaults(const QCommandLineParser &parser)
{
    qint64 byteDelay = faults.byteDelayMs;
    qint64 oversize = faults.oversizeCount;
    qint64 shortfall = faults.sizeShortfall;
    qint64 closeAfter = faults.closeAfterSeconds;
    qint64 resetAfter = faults.resetAfterMs;
    qint64 flood = faults.floodIntervalMs;
    qint64 acceptDelay = faults.acceptDelayMs;
    qint64 silentAfter = faults.silentAfterFrames;
    if (!readNumber(parser, "byte-delay", 1, kMaxDelayMs, byteDelay) ||
        !readNumber(parser, "oversize-count", MaxTargets + 1, FrameEncoder::kMaxEncodableCount,
                    oversize) ||
        !readNumber(parser, "short-size", 1, kMaxShortfall, shortfall) ||
        !readNumber(parser, "close-after", 1, kMaxSeconds, closeAfter) ||
        !readNumber(parser, "reset-after", 1, kMaxDelayMs, resetAfter) ||
        !readNumber(parser, "flood", 1, kMaxDelayMs, flood) ||
        !readNumber(parser, "accept-delay", 1, kMaxDelayMs, acceptDelay) ||
        !readNumber(parser, "silent-after", 1, kMaxFrames, silentAfter))
        return false;
    faults.byteDelayMs = static_cast<int>(byteDelay);
    faults.oversizeCount = static_cast<int>(oversize);
    faults.sizeShortfall = static_cast<int>(shortfall);
    faults.closeAfterSeconds = static_cast<int>(closeAfter);
    faults.resetAfterMs = static_cast<int>(resetAfter);
    faults.floodIntervalMs = static_cast<int>(flood);
    faults.acceptDelayMs = static_cast<int>(acceptDelay);
    faults.silentAfterFrames = silentAfter;
    faults.pairFrames = parser.isSet("pair-frames");
    faults.refuse = parser.isSet("refuse");
    const bool anyFault = faults.byteDelayMs > 0 || faults.oversizeCount > 0 ||
                          faults.sizeShortfall > 0 || faults.closeAfterSeconds > 0 ||
                          faults.resetAfterMs > 0 || faults.flooding() || faults.pairFrames ||
                          faults.refuse || faults.acceptDelayMs > 0 || faults.silentAfterFrames > 0;
    if (anyFault && mode == Mode::kRecord)
        return fail("the recording proxy passes frames through unchanged: no fault options");
    if (faults.flooding() && mode == Mode::kReplay)
        return fail("--flood and --replay cannot be combined: a replay keeps its own timing");
    return true;
}

// Leaves value untouched when the option is absent, so it keeps its default.
bool SimOptions::readNumber(const QCommandLineParser &parser, const QString &name, qint64 min,
                            qint64 max, qint64 &value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const qint64 number = parser.value(name).toLongLong(&ok);
    if (!ok || number < min || number > max) {
        return fail(QStringLiteral("--%1: '%2' is not a whole number from %3 to %4")
                        .arg(name, parser.value(name))
                        .arg(min)
                        .arg(max));
    }
    value = number;
    return true;
}

bool SimOptions::fail(const QString &reason)
{
    message = reason;
    return false;
}
