#pragma once

#include "materiallibrary.h"
#include "meshbuilder.h"
#include "scenelayout.h"

#include <string>
#include <vector>

// One station model as designed: its polygons in scene units, where the view
// will place it, and its materials.
struct StationModel {
    StationModel(const scene::Station &place, const std::string &mtlName)
        : placement(place), mtlFileName(mtlName)
    {
    }

    scene::Station placement;
    std::string mtlFileName;         // beside the OBJ file
    std::vector<std::string> header; // comment lines naming what the model is
    MeshBuilder mesh;
    std::vector<Material> materials;
};

// Throws std::runtime_error unless the model's bounds are centred on its
// anchor and its largest size is 2 * scale. Only then does the view's fit
// into the unit cube followed by its translate and scale give back the scene
// positions the model was designed at.
void checkPlacement(const StationModel &model);

// Writes the OBJ and MTL files into directory (which must exist), after
// checkPlacement. Throws std::runtime_error when a file cannot be written.
void writeStationModel(const StationModel &model, const std::string &directory);
