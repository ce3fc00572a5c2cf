#include "solids.h"

#include "meshbuilder.h"

#include <algorithm>
#include <cmath>

namespace
{

// Faces whose normal leans further than this towards +y or -y count as level.
constexpr double kLevelNormalY = 0.5;
// A normal this close to vertical has no horizontal direction of its own.
constexpr double kVerticalNormalY = 0.999999;
constexpr double kPi = 3.14159265358979323846;

Vec3 normalized(const Vec3 &v)
{
    const double length = std::sqrt(dot(v, v));
    return v * (1.0 / length);
}

Vec3 centroid(const std::vector<Vec3> &points)
{
    Vec3 sum;
    for (const Vec3 &p : points)
        sum = sum + p;
    return sum * (1.0 / static_cast<double>(points.size()));
}

Vec3 faceNormal(const std::vector<Vec3> &corners)
{
    Vec3 sum;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
        sum = sum + cross(corners[i] - corners[0], corners[i + 1] - corners[0]);
    return normalized(sum);
}

const TextureMapping &mappingFor(const SurfaceMappings &mappings, const Vec3 &normal)
{
    if (normal.y > kLevelNormalY)
        return mappings.top;
    if (normal.y < -kLevelNormalY)
        return mappings.bottom;
    return mappings.side;
}

Vec3 placeOnAxis(Axis axis, const ProfilePoint &p, double along)
{
    switch (axis) {
    case Axis::X:
        return {along, p.b, p.a};
    case Axis::Y:
        return {p.a, along, p.b};
    case Axis::Z:
        break;
    }
    return {p.a, p.b, along};
}

// The corners in the face's own plane, in scene units: s along the
// horizontal of the face, t up its slope (against z on level faces), so that
// the texture stands upright seen from outside.
std::vector<TexCoord> projectOntoFace(const std::vector<Vec3> &corners, const Vec3 &normal)
{
    const Vec3 up{0.0, 1.0, 0.0};
    const Vec3 across =
        std::abs(normal.y) > kVerticalNormalY ? Vec3{1.0, 0.0, 0.0} : normalized(cross(up, normal));
    const Vec3 upSlope = cross(normal, across);
    std::vector<TexCoord> flat;
    for (const Vec3 &c : corners)
        flat.push_back({dot(c, across), dot(c, upSlope)});
    return flat;
}

std::vector<TexCoord> stretchOver(const std::vector<TexCoord> &flat, const AtlasRegion &region)
{
    const auto byS = [](const TexCoord &l, const TexCoord &r) { return l.s < r.s; };
    const auto byT = [](const TexCoord &l, const TexCoord &r) { return l.t < r.t; };
    const auto [minS, maxS] = std::minmax_element(flat.begin(), flat.end(), byS);
    const auto [minT, maxT] = std::minmax_element(flat.begin(), flat.end(), byT);
    const double sSpan = maxS->s - minS->s, tSpan = maxT->t - minT->t;
    std::vector<TexCoord> uvs;
    for (const TexCoord &f : flat)
        uvs.push_back({region.s0 + (f.s - minS->s) / sSpan * (region.s1 - region.s0),
                       region.t0 + (f.t - minT->t) / tSpan * (region.t1 - region.t0)});
    return uvs;
}

// Adds every face of a convex solid, turning each to look away from the
// solid's centre so that the caller need not care about corner order.
void addConvexFaces(MeshBuilder &mesh, const std::vector<std::vector<Vec3>> &faces,
                    const SurfaceMappings &mappings)
{
    std::vector<Vec3> all;
    for (const auto &face : faces)
        all.insert(all.end(), face.begin(), face.end());
    const Vec3 centre = centroid(all);
    for (const auto &face : faces) {
        const Vec3 normal = faceNormal(face);
        const Vec3 outward = dot(normal, centroid(face) - centre) >= 0.0 ? normal : normal * -1.0;
        addFace(mesh, face, outward, mappingFor(mappings, outward));
    }
}

} // namespace

std::vector<TexCoord> planarTexCoords(const std::vector<Vec3> &corners, const Vec3 &normal,
                                      const TextureMapping &mapping)
{
    const std::vector<TexCoord> flat = projectOntoFace(corners, normal);
    if (mapping.tileSize > 0.0) {
        std::vector<TexCoord> uvs;
        for (const TexCoord &f : flat)
            uvs.push_back({f.s / mapping.tileSize, f.t / mapping.tileSize});
        return uvs;
    }
    return stretchOver(flat, mapping.region);
}

void addFace(MeshBuilder &mesh, std::vector<Vec3> corners, const Vec3 &outward,
             const TextureMapping &mapping)
{
    if (dot(faceNormal(corners), outward) < 0.0)
        std::reverse(corners.begin(), corners.end());
    mesh.addPolygon(corners, planarTexCoords(corners, faceNormal(corners), mapping));
}

void addExtrusion(MeshBuilder &mesh, const std::vector<ProfilePoint> &profile, Axis axis,
                  double from, double to, const SurfaceMappings &mappings)
{
    std::vector<std::vector<Vec3>> faces(2);
    for (const ProfilePoint &p : profile) {
        faces[0].push_back(placeOnAxis(axis, p, from));
        faces[1].push_back(placeOnAxis(axis, p, to));
    }
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const ProfilePoint &p = profile[i];
        const ProfilePoint &q = profile[(i + 1) % profile.size()];
        faces.push_back({placeOnAxis(axis, p, from), placeOnAxis(axis, q, from),
                         placeOnAxis(axis, q, to), placeOnAxis(axis, p, to)});
    }
    addConvexFaces(mesh, faces, mappings);
}

void addBox(MeshBuilder &mesh, const Vec3 &min, const Vec3 &max, const SurfaceMappings &mappings)
{
    addExtrusion(mesh, {{min.x, min.z}, {max.x, min.z}, {max.x, max.z}, {min.x, max.z}}, Axis::Y,
                 min.y, max.y, mappings);
}

void addCylinder(MeshBuilder &mesh, const Vec3 &base, double radius, double height, int sides,
                 const SurfaceMappings &mappings)
{
    std::vector<ProfilePoint> circle;
    for (int i = 0; i < sides; ++i) {
        const double angle = 2.0 * kPi * i / sides;
        circle.push_back({base.x + radius * std::cos(angle), base.z + radius * std::sin(angle)});
    }
    addExtrusion(mesh, circle, Axis::Y, base.y, base.y + height, mappings);
}
