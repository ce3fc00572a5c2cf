#pragma once

#include "stationmodel.h"

// The display: a wide, slanted housing with three screens, standing on the
// radar unit's front ledge and leaning back so that it faces the camera while
// staying below every line of sight to the radar screen.
StationModel buildDisplayModel();
