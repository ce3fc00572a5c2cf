#include "referenceframe.h"

#include "glview.h"
#include "glwidget.h"
#include "monitortexts.h"
#include "radardriver.h"

#include <QProcess>
#include <QTemporaryDir>

#include <vector>

namespace
{

const QSize kFrameSize(640, 480);
constexpr int kRingTargets = 12;
constexpr double kRingRadius = 0.35; // in wire units, around the screen centre
constexpr double kFullTurnDeg = 360.0;
constexpr int kSteps = 24;             // beam positions that make the hits
constexpr double kStepSeconds = 0.075; // each ages the hits before it
constexpr double kFinalBeamDeg = 123.0;
constexpr int kDumpTimeoutMs = 60000;

// A ring of targets with a close pair, so that two markers overlap.
std::vector<testframes::Record> targets()
{
    std::vector<testframes::Record> ring = testframes::ringOfTargets(kRingTargets, kRingRadius);
    ring.push_back({ring.front().x + 0.02f, ring.front().y + 0.01f, 1});
    return ring;
}

} // namespace

QImage renderReferenceFrame()
{
    RadarDriver driver;
    ReadableView<GLWidget> view(&driver.logic);
    if (!driver.isConnected() || !driver.sendTargets(targets()) || !view.showAt(kFrameSize))
        return QImage();
    for (int step = 1; step <= kSteps; ++step) {
        driver.turnBeamTo(step * kFullTurnDeg / kSteps);
        driver.update(kStepSeconds);
    }
    driver.turnBeamTo(kFinalBeamDeg);
    view.setPanelTexts(sampleMonitorTexts(0, true));
    // Twice, so that the second frame starts from the colour the first left,
    // as every frame of the running client does.
    view.updateGL();
    view.updateGL();
    return view.grabFrameBuffer();
}

QImage dumpedReferenceFrame(const QStringList &command)
{
    QTemporaryDir dir;
    if (!dir.isValid() || command.isEmpty())
        return QImage();
    const QString path = dir.filePath("frame.png");
    QProcess dump;
    dump.start(command.front(), command.mid(1) << path);
    if (!dump.waitForFinished(kDumpTimeoutMs) || dump.exitStatus() != QProcess::NormalExit ||
        dump.exitCode() != 0)
        return QImage();
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

int differingPixels(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    return differing;
}
