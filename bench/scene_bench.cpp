// Measures the radar view's frame under the software renderer at the size the
// client has on a full screen: paintGL with a thousand live hits, and the
// whole work of one frame-timer tick (tick, update, repaint). Run it under Xvfb
// with LIBGL_ALWAYS_SOFTWARE=1 and standard output sent to /dev/null, where
// the logic prints its lines; bench/run_scene_bench.sh does both.
//
//   scene_bench [--paints N] [--frames N] [--layout NAME] [--zones SETTINGS] [--monitors N]
//   scene_bench --scenario FILE     writes the "sector" layout as a simulator scenario
//
// With --zones, the guard zones of a settings file watch the hits and lie on
// the screen, in alarm wherever the layout's hits fall in them. With
// --monitors N, the station's monitors say something new every N timed
// frames (the client changes them at most every 5, a tenth of a second).
//
// Results go to standard error, one line per measure, times in milliseconds:
//   LAYOUT MEASURE mean p50 p99 max
//   LAYOUT hits MIN MAX             the hits drawn in the measured frames
//   LAYOUT kept-paints N OF         N of the OF repaints of one frozen state,
//   LAYOUT kept-frames N OF         and of the timed frames, restored the
//                                   station and the screen instead of drawing
//                                   them (none with RADAR_SCENE_CACHE=0)
// Measures ending in "-cpu" are the process's CPU time, the renderer's worker
// threads included: the work itself, which the other programs on a busy
// machine do not stretch the way they stretch the wall-clock times.
#include "glview.h"
#include "guardzonereader.h"
#include "hitlayout.h"
#include "monitortexts.h"
#include "radardriver.h"
#include "settings.h"
#include "settingserror.h"
#include "timedview.h"
#include "zonewatch.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <numeric>
#include <vector>

namespace
{

constexpr int kDefaultPaints = 300;
constexpr int kDefaultFrames = 450;
constexpr int kWarmupPaints = 20;
constexpr double kFrameSeconds = 0.02; // the client's frame period
// Hits made at the start of a cycle (life 2 s) all live through its frames.
constexpr int kFramesPerCycle = 90;
constexpr double kNsPerMs = 1e6;
constexpr double kMedian = 0.5;
constexpr double kHighPercentile = 0.99;

const HitLayout kLayouts[] = {
    {"none", 0.0, 0.0, 0},
    // Within one beam position: a single update makes every hit.
    {"wedge", 177.0, 6.0, MaxTargets},
    // Over the near half of the screen, which the camera sees whole, so that
    // the markers overlap as little as a thousand of them can.
    {"sector", 105.0, 150.0, MaxTargets},
};
const HitLayout &kScenarioLayout = kLayouts[2];

struct Options {
    int paints = kDefaultPaints;
    int frames = kDefaultFrames;
    QString layout;
    QString scenario;
    QString zonesFile;     // a settings file with guard zones, or empty
    int monitorFrames = 0; // frames between new words on the monitors; 0: none
};

double percentile(const std::vector<double> &sorted, double p)
{
    const size_t rank = size_t(std::ceil(p * sorted.size()));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

void report(const HitLayout &layout, const char *measure, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    std::fprintf(stderr, "%s %s %.3f %.3f %.3f %.3f\n", layout.name, measure, mean,
                 percentile(ms, kMedian), percentile(ms, kHighPercentile), ms.back());
}

double msSince(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / kNsPerMs;
}

double processCpuMs()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / kNsPerMs;
}

// A real logic on a loopback server holding the layout's targets, and the
// view of it shown full screen, as the client shows it.
struct Scene {
    RadarDriver driver;
    TimedView view{&driver.logic};
    std::unique_ptr<ZoneWatch> zones; // their lines go where the hit lines go

    bool start(const HitLayout &layout, const std::vector<GuardZone> &guardZones)
    {
        if (!guardZones.empty()) {
            zones = std::make_unique<ZoneWatch>(guardZones, std::cout, nullptr);
            driver.logic.watchZones(zones.get());
            view.showZones(zones.get());
        }
        if (!driver.isConnected() || !driver.sendTargets(layoutTargets(layout)))
            return false;
        return glview::showFullScreen(view);
    }

    int hitCount() const { return int(driver.logic.hits()->size()); }
};

void reportRenderer(Scene &scene)
{
    scene.view.makeCurrent();
    std::fprintf(stderr, "renderer %s\nview %dx%d\n",
                 reinterpret_cast<const char *>(glGetString(GL_RENDERER)), scene.view.width(),
                 scene.view.height());
}

// Repaints one frozen state: nothing changes the logic between the paints.
void measurePaints(Scene &scene, const HitLayout &layout, int paints)
{
    double longestUpdateMs;
    makeHits(scene.driver, layout, &longestUpdateMs);
    scene.view.setFinishing(true);
    for (int i = 0; i < kWarmupPaints; ++i)
        scene.view.updateGL();
    std::vector<double> paint, render, repaint, repaintCpu;
    QElapsedTimer clock;
    const int keptBefore = scene.view.keptPaints();
    for (int i = 0; i < paints; ++i) {
        QCoreApplication::processEvents();
        const double cpuBefore = processCpuMs();
        clock.start();
        scene.view.updateGL();
        repaint.push_back(msSince(clock));
        repaintCpu.push_back(processCpuMs() - cpuBefore);
        paint.push_back(scene.view.lastPaintMs());
        render.push_back(scene.view.lastRenderMs());
    }
    std::fprintf(stderr, "%s paint-hits %d %d\n", layout.name, scene.hitCount(), scene.hitCount());
    std::fprintf(stderr, "%s kept-paints %d %d\n", layout.name,
                 scene.view.keptPaints() - keptBefore, paints);
    report(layout, "paintGL", paint);
    report(layout, "paintGL+finish", render);
    report(layout, "updateGL+finish", repaint);
    report(layout, "updateGL+finish-cpu", repaintCpu);
}

struct FrameTimes {
    std::vector<double> tick, update, repaint, frame, frameCpu, making;
    int fewestHits = MaxTargets;
    int mostHits = 0;
};

// One frame as the window's timer slot runs it: tick, update, repaint.
bool timeFrame(Scene &scene, FrameTimes &times, const PanelTexts *newWords)
{
    const double cpuBefore = processCpuMs();
    if (newWords != nullptr)
        scene.view.setPanelTexts(*newWords);
    QElapsedTimer clock;
    clock.start();
    if (!scene.driver.logic.tick(kFrameSeconds))
        return false;
    const double ticked = msSince(clock);
    scene.driver.update(kFrameSeconds);
    const double updated = msSince(clock);
    const int hits = scene.hitCount();
    scene.view.updateGL();
    const double repainted = msSince(clock);
    times.frameCpu.push_back(processCpuMs() - cpuBefore);
    times.tick.push_back(ticked);
    times.update.push_back(updated - ticked);
    times.repaint.push_back(repainted - updated);
    times.frame.push_back(repainted);
    times.fewestHits = std::min(times.fewestHits, hits);
    times.mostHits = std::max(times.mostHits, hits);
    return true;
}

// Cycles of frames, each cycle starting with freshly made hits that all live
// through it, so that every measured frame draws the layout's full count.
bool measureFrames(Scene &scene, const HitLayout &layout, int frames, int monitorFrames)
{
    scene.view.setFinishing(false);
    FrameTimes times;
    const int keptBefore = scene.view.keptPaints();
    for (int done = 0; done < frames;) {
        double longestUpdateMs;
        makeHits(scene.driver, layout, &longestUpdateMs);
        times.making.push_back(longestUpdateMs);
        for (int i = 0; i < kFramesPerCycle && done < frames; ++i, ++done) {
            QCoreApplication::processEvents();
            const bool newWords = monitorFrames > 0 && done % monitorFrames == 0;
            const PanelTexts words = sampleMonitorTexts(done, false);
            if (!timeFrame(scene, times, newWords ? &words : nullptr))
                return false;
        }
    }
    std::fprintf(stderr, "%s hits %d %d\n", layout.name, times.fewestHits, times.mostHits);
    std::fprintf(stderr, "%s kept-frames %d %d\n", layout.name,
                 scene.view.keptPaints() - keptBefore, frames);
    report(layout, "tick", times.tick);
    report(layout, "update", times.update);
    report(layout, "repaint", times.repaint);
    report(layout, "frame", times.frame);
    report(layout, "frame-cpu", times.frameCpu);
    if (layout.targetCount > 0)
        report(layout, "hit-making-update", times.making);
    return true;
}

bool runLayout(const HitLayout &layout, const Options &options, const std::vector<GuardZone> &zones,
               bool first)
{
    Scene scene;
    if (!scene.start(layout, zones)) {
        std::fprintf(stderr, "scene_bench: no loopback server or no exposed view\n");
        return false;
    }
    if (first)
        reportRenderer(scene);
    measurePaints(scene, layout, options.paints);
    if (!measureFrames(scene, layout, options.frames, options.monitorFrames)) {
        std::fprintf(stderr, "scene_bench: the logic lost its connection\n");
        return false;
    }
    return true;
}

Options parseOptions(const QApplication &app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"paints", "Repaints of one frozen state per layout.", "N"});
    parser.addOption({"frames", "Timed frames (tick, update, repaint) per layout.", "N"});
    parser.addOption({"layout", "Measure this layout only: none, wedge or sector.", "NAME"});
    parser.addOption({"scenario", "Write the sector layout as a simulator scenario.", "FILE"});
    parser.addOption({"zones", "Watch the guard zones of this settings file.", "SETTINGS"});
    parser.addOption({"monitors", "New words on the monitors every N timed frames.", "N"});
    parser.process(app);
    Options options;
    if (parser.isSet("paints"))
        options.paints = std::max(1, parser.value("paints").toInt());
    if (parser.isSet("frames"))
        options.frames = std::max(1, parser.value("frames").toInt());
    options.layout = parser.value("layout");
    options.scenario = parser.value("scenario");
    options.zonesFile = parser.value("zones");
    options.monitorFrames = std::max(0, parser.value("monitors").toInt());
    return options;
}

// The zones of the settings file, or none; false when the file cannot be read.
bool readZones(const QString &file, std::vector<GuardZone> &zones)
{
    if (file.isEmpty())
        return true;
    try {
        const Settings settings(file);
        std::vector<GuardZoneNote> notes;
        zones = readGuardZones(settings.documentElement(), notes);
        return notes.empty();
    } catch (SettingsError *error) {
        delete error;
        return false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const Options options = parseOptions(app);
    if (!options.scenario.isEmpty())
        return writeScenario(kScenarioLayout, options.scenario) ? 0 : 1;
    std::vector<GuardZone> zones;
    if (!readZones(options.zonesFile, zones)) {
        std::fprintf(stderr, "scene_bench: cannot read the zones of %s\n",
                     qPrintable(options.zonesFile));
        return 1;
    }
    // The view reads its textures and models from the working directory.
    QDir::setCurrent(RADAR_SOURCE_DIR);
    bool first = true;
    for (const HitLayout &layout : kLayouts) {
        if (!options.layout.isEmpty() && options.layout != layout.name)
            continue;
        if (!runLayout(layout, options, zones, first))
            return 1;
        first = false;
    }
    return 0;
}
