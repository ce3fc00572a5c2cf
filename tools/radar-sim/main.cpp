#include "demoscenario.h"
#include "randomwalkers.h"
#include "recording.h"
#include "recordingproxy.h"
#include "scenarioparser.h"
#include "simoptions.h"
#include "simserver.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace
{

constexpr int kExitFailure = 1;            // a file or the network let us down
constexpr int kExitUsage = 2;              // the command line was wrong
const char kVersion[] = RADAR_SIM_VERSION; // from the build, so that it is written once

int failWith(const QString &message, int status)
{
    std::fprintf(stderr, "radar-sim: %s\n", qPrintable(message));
    return status;
}

// Runs a server that listens already: announces where, with the status line
// after it, unless quiet.
int runListening(QCoreApplication &app, const SimOptions &options, SimListener &listener)
{
    if (!options.quiet) {
        std::fprintf(stderr, "radar-sim: listening on %s:%u\n",
                     qPrintable(options.listenAddress.toString()),
                     static_cast<unsigned>(listener.port()));
        listener.reportStatus();
    }
    return app.exec();
}

// The world the server shows, or null with error set.
std::unique_ptr<TargetSource> makeWorld(const SimOptions &options, QString &error)
{
    if (options.mode == SimOptions::Mode::kWalkers)
        return std::make_unique<RandomWalkers>(options.targets, options.seed);
    if (options.mode != SimOptions::Mode::kScenario)
        return std::make_unique<DemoScenario>(options.seed);
    ScenarioParser parser(options.file);
    if (!parser.parseFile()) {
        error = parser.error();
        return nullptr;
    }
    return std::make_unique<ScriptedScenario>(parser.script());
}

// An upstream that cannot be reached before the first frame ends the proxy:
// its recording would stay empty. Returning from here removes the file that
// was to hold it.
int runProxy(QCoreApplication &app, const SimOptions &options)
{
    RecordingProxy proxy(options.upstreamHost, options.upstreamPort);
    QString error;
    if (!proxy.start(options.file, options.listenAddress, options.port, error))
        return failWith(error, kExitFailure);
    QObject::connect(&proxy, &RecordingProxy::startFailed, &app, [&app](const QString &reason) {
        failWith(reason, kExitFailure);
        app.exit(kExitFailure);
    });
    return runListening(app, options, proxy);
}

int runServer(QCoreApplication &app, const SimOptions &options)
{
    QString error;
    std::unique_ptr<SimServer> server;
    if (options.mode == SimOptions::Mode::kReplay) {
        std::vector<RecordedFrame> frames;
        if (!Recording::load(options.file, frames, error))
            return failWith(error, kExitFailure);
        server = std::make_unique<SimServer>(std::move(frames), options.loop, options.faults);
    } else {
        std::unique_ptr<TargetSource> world = makeWorld(options, error);
        if (!world)
            return failWith(error, kExitFailure);
        server = std::make_unique<SimServer>(std::move(world), options.faults);
    }
    if (!server->listen(options.listenAddress, options.port, error))
        return failWith(error, kExitFailure);
    return runListening(app, options, *server);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("radar-sim"));
    SimOptions options;
    switch (options.parse(QCoreApplication::arguments())) {
    case SimOptions::Outcome::Help:
        std::fputs(qPrintable(options.help()), stdout);
        return 0;
    case SimOptions::Outcome::Version:
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), kVersion);
        return 0;
    case SimOptions::Outcome::Error:
        return failWith(options.error() + " (see --help)", kExitUsage);
    case SimOptions::Outcome::Run:
        break;
    }
    if (options.mode == SimOptions::Mode::kRecord)
        return runProxy(app, options);
    return runServer(app, options);
}
