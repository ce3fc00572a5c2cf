#pragma once

#include "vec3.h"

#include <vector>

class MeshBuilder;

// The texture regions a solid's faces are mapped into, chosen by the way a
// face looks: up, down, or anything in between (sides).
struct SurfaceRegions {
    AtlasRegion top;
    AtlasRegion side;
    AtlasRegion bottom;
};

// The axis along which a profile is extruded.
enum class Axis { X, Y, Z };

// A corner of a profile in the plane across the extrusion axis: (z, y) for
// Axis::X, (x, z) for Axis::Y and (x, y) for Axis::Z.
struct ProfilePoint {
    double a = 0.0;
    double b = 0.0;
};

// Texture coordinates for a planar face: the face is projected onto its own
// plane (s along the horizontal, t up the slope; s along x and t against z on
// level faces) and stretched over region.
std::vector<TexCoord> planarTexCoords(const std::vector<Vec3> &corners, const Vec3 &normal,
                                      const AtlasRegion &region);

// Adds one planar convex face looking along outward; the corners may be given
// in either turning sense.
void addFace(MeshBuilder &mesh, std::vector<Vec3> corners, const Vec3 &outward,
             const AtlasRegion &region);

// Adds a closed convex prism: the convex profile swept along axis from
// `from` to `to`, with both ends capped. Faces look outwards.
void addExtrusion(MeshBuilder &mesh, const std::vector<ProfilePoint> &profile, Axis axis,
                  double from, double to, const SurfaceRegions &regions);

// Adds the closed box between two opposite corners.
void addBox(MeshBuilder &mesh, const Vec3 &min, const Vec3 &max, const SurfaceRegions &regions);

// Adds a closed upright cylinder of `sides` flat sides, standing on base.
void addCylinder(MeshBuilder &mesh, const Vec3 &base, double radius, double height, int sides,
                 const SurfaceRegions &regions);
