// Generates the three station models and their material libraries:
//   modelgen <output folder>
// The folder must exist; the repository keeps the output under mdl/.
#include "displaymodel.h"
#include "radarunitmodel.h"
#include "tablemodel.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    try {
        writeStationModel(buildTableModel(), argv[1]);
        writeStationModel(buildRadarUnitModel(), argv[1]);
        writeStationModel(buildDisplayModel(), argv[1]);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "modelgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
