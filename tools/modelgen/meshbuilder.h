#pragma once

#include "vec3.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

// Axis-aligned bounds of a set of points, in scene units.
struct Bounds {
    Vec3 min;
    Vec3 max;
};

// Collects the polygons of one model, group by group, and writes them as
// Wavefront OBJ text. Positions are given in scene units; the file stores them
// relative to an anchor point so that the model is centred on the origin.
// Vertices and texture coordinates that repeat exactly are stored once.
class MeshBuilder
{
public:
    // Starts a group; the polygons that follow belong to it and use material.
    void beginGroup(const std::string &name, const std::string &material);

    // Adds a planar convex polygon. corners run counter-clockwise seen from
    // the side the face looks to; uvs holds one coordinate per corner. Throws
    // std::invalid_argument for fewer than three corners, mismatched sizes,
    // a polygon without area or a call before the first group.
    void addPolygon(const std::vector<Vec3> &corners, const std::vector<TexCoord> &uvs);

    // Bounds of every vertex added so far; throws std::logic_error when empty.
    Bounds bounds() const;

    // The OBJ text: header comment lines, the mtllib line, vertices minus
    // anchor, texture coordinates, then each group with its usemtl and faces.
    // Throws std::invalid_argument when a comment, name or the library name
    // makes a line too long for the model reader.
    std::string objText(const std::vector<std::string> &header, const std::string &mtlName,
                        const Vec3 &anchor) const;

    std::size_t polygonCount() const;

private:
    struct Polygon {
        std::vector<unsigned> vertices;  // 1-based OBJ vertex numbers
        std::vector<unsigned> texCoords; // 1-based OBJ texture coordinate numbers
    };
    struct Group {
        std::string name;
        std::string material;
        std::vector<Polygon> polygons;
    };
    using Key3 = std::tuple<long long, long long, long long>;
    using Key2 = std::pair<long long, long long>;

    unsigned vertexNumber(const Vec3 &position);
    unsigned texCoordNumber(const TexCoord &uv);
    void appendVertices(std::string &out, const Vec3 &anchor) const;
    void appendTexCoords(std::string &out) const;
    void appendGroups(std::string &out) const;

    std::vector<Vec3> positions;
    std::vector<TexCoord> coordinates;
    std::map<Key3, unsigned> positionNumbers;
    std::map<Key2, unsigned> coordinateNumbers;
    std::vector<Group> groups;
};
