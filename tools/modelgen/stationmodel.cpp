#include "stationmodel.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace
{

// How far the centre and the largest size may stray, in scene units.
constexpr double kPlacementTolerance = 1e-6;

void checkCentred(const char *axis, double min, double max, double anchor, const char *file)
{
    if (std::abs((min + max) * 0.5 - anchor) > kPlacementTolerance)
        throw std::runtime_error(std::string(file) + ": not centred on its anchor along " + axis);
}

void writeText(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void checkPlacement(const StationModel &model)
{
    const Bounds box = model.mesh.bounds();
    const scene::Station &place = model.placement;
    checkCentred("x", box.min.x, box.max.x, place.anchor.x, place.modelFile);
    checkCentred("y", box.min.y, box.max.y, place.anchor.y, place.modelFile);
    checkCentred("z", box.min.z, box.max.z, place.anchor.z, place.modelFile);
    const Vec3 size = box.max - box.min;
    const double largest = std::max({size.x, size.y, size.z});
    if (std::abs(largest - 2.0 * place.scale) > kPlacementTolerance)
        throw std::runtime_error(std::string(place.modelFile) + ": largest size is not 2 * scale");
}

void writeStationModel(const StationModel &model, const std::string &directory)
{
    checkPlacement(model);
    const std::string folder =
        directory.empty() || directory.back() == '/' ? directory : directory + "/";
    writeText(folder + model.placement.modelFile,
              model.mesh.objText(model.header, model.mtlFileName, model.placement.anchor));
    writeText(folder + model.mtlFileName, materialLibraryText(model.header, model.materials));
}
