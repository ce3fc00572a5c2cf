#include "radardriver.h"

namespace
{
constexpr double kBeamSpeedDegPerSec = 80.0;
constexpr double kFullTurnDeg = 360.0;
} // namespace

RadarDriver::RadarDriver()
{
    connected = logic.connectToServer("127.0.0.1", server.port()) && server.acceptClient();
}

bool RadarDriver::sendTargets(const std::vector<testframes::Record> &targets)
{
    server.send(testframes::frame(true, targets));
    return waitUntil([&] { return logic.targetCount() == int(targets.size()); });
}

void RadarDriver::turnBeamTo(double angle)
{
    double delta = angle - logic.beamAngle();
    if (delta < 0.0)
        delta += kFullTurnDeg;
    logic.tick(delta / kBeamSpeedDegPerSec);
}
