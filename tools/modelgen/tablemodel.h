#pragma once

#include "stationmodel.h"

// The operator's desk: a long top just below the radar screen, resting on
// four legs joined by an apron. The radar unit is let into it.
StationModel buildTableModel();
