#pragma once

#include "stationmodel.h"

// The radar unit: a console cabinet let into the desk, whose bezel frames the
// radar screen on the left, the right and the front, with a few controls on
// the side rails. Nothing of it rises above the screen's plane over the
// screen itself.
StationModel buildRadarUnitModel();
