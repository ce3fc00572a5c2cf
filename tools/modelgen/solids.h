#pragma once

#include "vec3.h"

#include <vector>

class MeshBuilder;

// How a face takes its texture: stretched over a region of the image, or
// tiled across the face at a fixed size so that neighbouring faces line up
// (for seamless textures, which the view repeats).
struct TextureMapping {
    AtlasRegion region;    // used when tileSize is 0
    double tileSize = 0.0; // scene units per repeat of the whole image, or 0
};

// A rectangle of an image given in pixels (x to the right, y downwards) as a
// texture region. The view binds images with their top row at t = 1.
constexpr AtlasRegion pixelRegion(double x0, double y0, double x1, double y1, double imageSize)
{
    return {x0 / imageSize, 1.0 - y1 / imageSize, x1 / imageSize, 1.0 - y0 / imageSize};
}

constexpr TextureMapping stretched(const AtlasRegion &region)
{
    return {region, 0.0};
}
constexpr TextureMapping tiled(double tileSize)
{
    return {{}, tileSize};
}

// The mappings of a solid's faces, chosen by the way a face looks: up, down,
// or anything in between (sides).
struct SurfaceMappings {
    TextureMapping top;
    TextureMapping side;
    TextureMapping bottom;
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
// level faces), then stretched or tiled as mapping says.
std::vector<TexCoord> planarTexCoords(const std::vector<Vec3> &corners, const Vec3 &normal,
                                      const TextureMapping &mapping);

// Adds one planar convex face looking along outward; the corners may be given
// in either turning sense.
void addFace(MeshBuilder &mesh, std::vector<Vec3> corners, const Vec3 &outward,
             const TextureMapping &mapping);

// Adds a closed convex prism: the convex profile swept along axis from
// `from` to `to`, with both ends capped. Faces look outwards.
void addExtrusion(MeshBuilder &mesh, const std::vector<ProfilePoint> &profile, Axis axis,
                  double from, double to, const SurfaceMappings &mappings);

// Adds the closed box between two opposite corners.
void addBox(MeshBuilder &mesh, const Vec3 &min, const Vec3 &max, const SurfaceMappings &mappings);

// Adds a closed upright cylinder of `sides` flat sides, standing on base.
void addCylinder(MeshBuilder &mesh, const Vec3 &base, double radius, double height, int sides,
                 const SurfaceMappings &mappings);
