#include "displaymodel.h"

#include "solids.h"

#include <cmath>
#include <vector>

namespace
{

constexpr double kPi = 3.14159265358979323846;

// The housing's cross-section in scene units: its front face starts just
// above the radar unit's ledge (1.5) and leans back towards the screen.
constexpr double kFaceBottom = 1.51;
constexpr double kFaceHeight = 0.46; // along the slope
constexpr double kLeanDeg = 30.0;    // from the vertical
constexpr double kThickness = 0.06;

// The front face holds three monitors side by side, each a raised bezel with
// its screen, separated by gaps and kept this far from the face's edges.
// Bezels stand off the face and screens off the bezels by kProud.
constexpr int kMonitorCount = 3;
constexpr double kMargin = 0.03;
constexpr double kMonitorGap = 0.06;
constexpr double kProud = 0.002;

// The stand reaches down into the radar unit; it is narrower than the housing.
constexpr double kStandHalfWidth = 2.0;
constexpr double kStandDepth = 0.12;
constexpr double kStandOverlap = 0.05;

// Rectangles of the display texture, in pixels of its 512 x 512 image (x to
// the right, y downwards): the bezel round the screen, the screen, and a
// plain strip of housing between the bezel and the control strip.
struct PixelRect {
    double x0, y0, x1, y1;
};
constexpr double kImageSize = 512.0;
constexpr PixelRect kBezelPixels{32.0, 32.0, 480.0, 400.0};
constexpr PixelRect kScreenPixels{56.0, 56.0, 456.0, 376.0};
constexpr PixelRect kHousingPixels{40.0, 403.0, 472.0, 413.0};

constexpr AtlasRegion regionOf(const PixelRect &r)
{
    return pixelRegion(r.x0, r.y0, r.x1, r.y1, kImageSize);
}

// The width of the model is its largest size, centred on the anchor.
constexpr double kMinX = scene::kDisplay.anchor.x - scene::kDisplay.scale;
constexpr double kMaxX = scene::kDisplay.anchor.x + scene::kDisplay.scale;

// The housing's cross-section in the (z, y) plane and the directions of its
// front face, placed so that its depth is centred on the anchor.
struct Section {
    ProfilePoint frontBottom, frontTop, backTop, backBottom;
    ProfilePoint upSlope; // unit vector up the face
    ProfilePoint outward; // unit normal of the face, towards the camera
};

Section housingSection()
{
    const double lean = kLeanDeg * kPi / 180.0;
    Section s;
    s.upSlope = {-std::sin(lean), std::cos(lean)};
    s.outward = {std::cos(lean), std::sin(lean)};
    const double depth = kFaceHeight * std::sin(lean) + kThickness * std::cos(lean);
    s.frontBottom = {scene::kDisplay.anchor.z + depth * 0.5, kFaceBottom};
    s.frontTop = {s.frontBottom.a + kFaceHeight * s.upSlope.a,
                  s.frontBottom.b + kFaceHeight * s.upSlope.b};
    s.backTop = {s.frontTop.a - kThickness * s.outward.a, s.frontTop.b - kThickness * s.outward.b};
    s.backBottom = {s.frontBottom.a - kThickness * s.outward.a,
                    s.frontBottom.b - kThickness * s.outward.b};
    return s;
}

void addHousing(MeshBuilder &mesh, const Section &s)
{
    const TextureMapping housing = stretched(regionOf(kHousingPixels));
    mesh.beginGroup("housing", "housing");
    addExtrusion(mesh, {s.frontBottom, s.frontTop, s.backTop, s.backBottom}, Axis::X, kMinX, kMaxX,
                 {housing, housing, housing});
}

// A point on the front face, `along` up the slope from its bottom edge,
// lifted `proud` off it.
Vec3 onFace(const Section &s, double x, double along, double proud)
{
    return {x, s.frontBottom.b + along * s.upSlope.b + proud * s.outward.b,
            s.frontBottom.a + along * s.upSlope.a + proud * s.outward.a};
}

// A rectangle on the front face: x0..x1 across, low..high up the slope.
struct FaceRect {
    double x0, x1, low, high;
};

void addFaceRect(MeshBuilder &mesh, const Section &s, const FaceRect &r, double proud,
                 const AtlasRegion &region)
{
    addFace(mesh,
            {onFace(s, r.x0, r.low, proud), onFace(s, r.x1, r.low, proud),
             onFace(s, r.x1, r.high, proud), onFace(s, r.x0, r.high, proud)},
            {0.0, s.outward.b, s.outward.a}, stretched(region));
}

// The screen inside a bezel, in the proportions the texture gives them.
FaceRect screenWithin(const FaceRect &bezel)
{
    const double bezelWidth = kBezelPixels.x1 - kBezelPixels.x0;
    const double bezelHeight = kBezelPixels.y1 - kBezelPixels.y0;
    const double across = (bezel.x1 - bezel.x0) / bezelWidth;
    const double up = (bezel.high - bezel.low) / bezelHeight;
    return {bezel.x0 + (kScreenPixels.x0 - kBezelPixels.x0) * across,
            bezel.x1 - (kBezelPixels.x1 - kScreenPixels.x1) * across,
            bezel.low + (kBezelPixels.y1 - kScreenPixels.y1) * up,
            bezel.high - (kScreenPixels.y0 - kBezelPixels.y0) * up};
}

void addMonitors(MeshBuilder &mesh, const Section &s)
{
    const double usable = (kMaxX - kMinX) - 2.0 * kMargin - (kMonitorCount - 1) * kMonitorGap;
    const double width = usable / kMonitorCount;
    std::vector<FaceRect> bezels;
    for (int i = 0; i < kMonitorCount; ++i) {
        const double x0 = kMinX + kMargin + i * (width + kMonitorGap);
        bezels.push_back({x0, x0 + width, kMargin, kFaceHeight - kMargin});
    }
    mesh.beginGroup("bezels", "bezel");
    for (const FaceRect &bezel : bezels)
        addFaceRect(mesh, s, bezel, kProud, regionOf(kBezelPixels));
    mesh.beginGroup("screens", "screen");
    for (const FaceRect &bezel : bezels)
        addFaceRect(mesh, s, screenWithin(bezel), 2.0 * kProud, regionOf(kScreenPixels));
}

// The model is centred on its anchor, so the stand reaches as far below it
// as the housing's top rises above.
void addStand(MeshBuilder &mesh, const Section &s)
{
    const double bottom = 2.0 * scene::kDisplay.anchor.y - s.frontTop.b;
    const double middleZ = scene::kDisplay.anchor.z;
    const TextureMapping housing = stretched(regionOf(kHousingPixels));
    mesh.beginGroup("stand", "stand");
    addBox(mesh, {-kStandHalfWidth, bottom, middleZ - kStandDepth * 0.5},
           {kStandHalfWidth, s.backBottom.b + kStandOverlap, middleZ + kStandDepth * 0.5},
           {housing, housing, housing});
}

} // namespace

StationModel buildDisplayModel()
{
    const std::string texture = "../textures/radardisplay.png";
    StationModel model{scene::kDisplay, "radardisplay.mtl"};
    model.header = {"Radar station: display with three screens.", "Generated by tools/modelgen."};
    model.materials = {texturedMaterial("housing", {0.15, 0.16, 0.17}, 0.3, 200.0, texture),
                       texturedMaterial("bezel", {0.25, 0.26, 0.28}, 0.3, 200.0, texture),
                       texturedMaterial("screen", {0.1, 0.6, 0.2}, 0.8, 800.0, texture),
                       texturedMaterial("stand", {0.25, 0.25, 0.25}, 0.2, 100.0, texture)};
    const Section section = housingSection();
    addHousing(model.mesh, section);
    addMonitors(model.mesh, section);
    addStand(model.mesh, section);
    return model;
}
