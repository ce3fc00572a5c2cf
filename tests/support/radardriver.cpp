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

void RadarDriver::turnBeamTo(double angle)
{
    double delta = angle - logic.beamAngle();
    if (delta < 0.0)
        delta += radargeometry::kFullTurnDeg;
    logic.tick(delta / radargeometry::kBeamSpeedDegPerSec);
}
