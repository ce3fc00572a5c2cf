#include "meshbuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace
{

// Polygons smaller than this (twice the area, in square scene units) would
// give the library a zero-length facet normal.
constexpr double kMinDoubleArea = 1e-9;

// Decimal places written for positions and texture coordinates: a millionth
// of a scene unit, far below anything the view can resolve.
constexpr int kDecimals = 6;

// The model library reads the lines it takes whole (comments, mtllib, g,
// usemtl) through a buffer of 128 bytes; longer lines would spill into tokens.
constexpr std::size_t kMaxWholeLine = 120;

void appendWholeLine(std::string &out, const std::string &line)
{
    if (line.size() > kMaxWholeLine)
        throw std::invalid_argument("line too long for the model reader: " + line);
    out += line + "\n";
}

std::string formatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", kDecimals, value);
    std::string result(text);
    // "-0.000000" and "0.000000" are the same number; write one form only.
    if (result.find_first_not_of("-0.") == std::string::npos)
        result = std::string(text + (text[0] == '-' ? 1 : 0));
    return result;
}

// Values that print alike are stored once, whatever rounding noise made them.
long long quantized(double value)
{
    return std::llround(value * std::pow(10.0, kDecimals));
}

Vec3 polygonAreaVector(const std::vector<Vec3> &corners)
{
    Vec3 sum;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
        sum = sum + cross(corners[i] - corners[0], corners[i + 1] - corners[0]);
    return sum;
}

} // namespace

void MeshBuilder::beginGroup(const std::string &name, const std::string &material)
{
    groups.push_back({name, material, {}});
}

void MeshBuilder::addPolygon(const std::vector<Vec3> &corners, const std::vector<TexCoord> &uvs)
{
    if (groups.empty())
        throw std::invalid_argument("polygon added before the first group");
    if (corners.size() < 3 || corners.size() != uvs.size())
        throw std::invalid_argument("a polygon needs three or more corners, each with a uv");
    const Vec3 area = polygonAreaVector(corners);
    if (std::sqrt(dot(area, area)) < kMinDoubleArea)
        throw std::invalid_argument("polygon without area in group " + groups.back().name);

    Polygon polygon;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        polygon.vertices.push_back(vertexNumber(corners[i]));
        polygon.texCoords.push_back(texCoordNumber(uvs[i]));
    }
    groups.back().polygons.push_back(polygon);
}

Bounds MeshBuilder::bounds() const
{
    if (positions.empty())
        throw std::logic_error("bounds of an empty mesh");
    Bounds box{positions.front(), positions.front()};
    for (const Vec3 &p : positions) {
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
    }
    return box;
}

std::size_t MeshBuilder::polygonCount() const
{
    std::size_t count = 0;
    for (const Group &group : groups)
        count += group.polygons.size();
    return count;
}

std::string MeshBuilder::objText(const std::vector<std::string> &header, const std::string &mtlName,
                                 const Vec3 &anchor) const
{
    std::string out;
    for (const std::string &line : header)
        appendWholeLine(out, "# " + line);
    appendWholeLine(out, "mtllib " + mtlName);
    appendVertices(out, anchor);
    appendTexCoords(out);
    appendGroups(out);
    return out;
}

unsigned MeshBuilder::vertexNumber(const Vec3 &position)
{
    const Key3 key{quantized(position.x), quantized(position.y), quantized(position.z)};
    const auto found = positionNumbers.find(key);
    if (found != positionNumbers.end())
        return found->second;
    positions.push_back(position);
    const auto number = static_cast<unsigned>(positions.size());
    positionNumbers.emplace(key, number);
    return number;
}

unsigned MeshBuilder::texCoordNumber(const TexCoord &uv)
{
    const Key2 key{quantized(uv.s), quantized(uv.t)};
    const auto found = coordinateNumbers.find(key);
    if (found != coordinateNumbers.end())
        return found->second;
    coordinates.push_back(uv);
    const auto number = static_cast<unsigned>(coordinates.size());
    coordinateNumbers.emplace(key, number);
    return number;
}

void MeshBuilder::appendVertices(std::string &out, const Vec3 &anchor) const
{
    for (const Vec3 &p : positions) {
        const Vec3 local = p - anchor;
        out += "v " + formatNumber(local.x) + " " + formatNumber(local.y) + " " +
               formatNumber(local.z) + "\n";
    }
}

void MeshBuilder::appendTexCoords(std::string &out) const
{
    for (const TexCoord &uv : coordinates)
        out += "vt " + formatNumber(uv.s) + " " + formatNumber(uv.t) + "\n";
}

void MeshBuilder::appendGroups(std::string &out) const
{
    for (const Group &group : groups) {
        appendWholeLine(out, "g " + group.name);
        appendWholeLine(out, "usemtl " + group.material);
        for (const Polygon &polygon : group.polygons) {
            out += "f";
            for (std::size_t i = 0; i < polygon.vertices.size(); ++i)
                out += " " + std::to_string(polygon.vertices[i]) + "/" +
                       std::to_string(polygon.texCoords[i]);
            out += "\n";
        }
    }
}
