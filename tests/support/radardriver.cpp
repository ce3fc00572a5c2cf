#include "radardriver.h"

#include "radargeometry.h"

RadarDriver::RadarDriver()
{
    connected = logic.connectToServer("127.0.0.1", server.port()) && server.acceptClient();
}

bool RadarDriver::sendTargets(const std::vector<testframes::Record> &targets)
{
    server.send(testframes::frame(true, targets));
    return waitUntil([&] { return logic.targetCount() == int(targets.size()); });
}

bool RadarDriver::sendSpreadTargets()
{
    return sendTargets(
        {{0.95f, 0.6f, 1}, {0.2f, 0.75f, 1}, {0.5f, 0.9f, 1}, {0.52f, 0.88f, 1}, {0.1f, 0.2f, 1}});
}

void RadarDriver::turnBeamTo(double angle)
{
    double delta = angle - logic.beamAngle();
    if (delta < 0.0)
        delta += radargeometry::kFullTurnDeg;
    logic.tick(delta / radargeometry::kBeamSpeedDegPerSec);
}
