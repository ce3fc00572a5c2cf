#pragma once

#include "scenelayout.h"

#include <array>
#include <cmath>

// The station's display, as the model generator builds it and as the view
// writes on its three monitors: a housing whose front face leans back
// towards the radar screen, holding the monitors side by side, each a raised
// bezel round its screen. Scene units, y up, z towards the camera; plain
// values only, like the scene's layout.
namespace display
{

// The housing's cross-section: its front face starts just above the radar
// unit's ledge and leans back by kLeanDeg from the vertical.
constexpr double kFaceBottom = 1.51;
constexpr double kFaceHeight = 0.46; // along the slope
constexpr double kLeanDeg = 30.0;
constexpr double kThickness = 0.06;

// The monitors, separated by gaps and kept this far from the face's edges;
// bezels stand off the face and screens off the bezels by kProud.
constexpr int kMonitorCount = 3;
constexpr double kMargin = 0.03;
constexpr double kMonitorGap = 0.06;
constexpr double kProud = 0.002;

// Rectangles of the display's texture, in pixels of its kImageSize square
// image (x to the right, y downwards): the bezel round a screen and the screen.
struct PixelRect {
    double x0, y0, x1, y1;
};
constexpr double kImageSize = 512.0;
constexpr PixelRect kBezelPixels{32.0, 32.0, 480.0, 400.0};
constexpr PixelRect kScreenPixels{56.0, 56.0, 456.0, 376.0};

// The width of the model is its largest size, centred on its anchor.
constexpr double kMinX = scene::kDisplay.anchor.x - scene::kDisplay.scale;
constexpr double kMaxX = scene::kDisplay.anchor.x + scene::kDisplay.scale;

// A point of the (z, y) plane.
struct SectionPoint {
    double z = 0.0;
    double y = 0.0;
};

// The housing's cross-section and the directions of its front face, placed
// so that its depth is centred on the anchor.
struct Section {
    SectionPoint frontBottom, frontTop, backTop, backBottom;
    SectionPoint upSlope; // unit vector up the face
    SectionPoint outward; // unit normal of the face, towards the camera
};

inline Section housingSection()
{
    constexpr double kPi = 3.14159265358979323846;
    const double lean = kLeanDeg * kPi / 180.0;
    Section s;
    s.upSlope = {-std::sin(lean), std::cos(lean)};
    s.outward = {std::cos(lean), std::sin(lean)};
    const double depth = kFaceHeight * std::sin(lean) + kThickness * std::cos(lean);
    s.frontBottom = {scene::kDisplay.anchor.z + depth * 0.5, kFaceBottom};
    s.frontTop = {s.frontBottom.z + kFaceHeight * s.upSlope.z,
                  s.frontBottom.y + kFaceHeight * s.upSlope.y};
    s.backTop = {s.frontTop.z - kThickness * s.outward.z, s.frontTop.y - kThickness * s.outward.y};
    s.backBottom = {s.frontBottom.z - kThickness * s.outward.z,
                    s.frontBottom.y - kThickness * s.outward.y};
    return s;
}

// A point on the front face, `along` up the slope from its bottom edge,
// lifted `proud` off it.
inline scene::Point onFace(const Section &s, double x, double along, double proud)
{
    return {x, s.frontBottom.y + along * s.upSlope.y + proud * s.outward.y,
            s.frontBottom.z + along * s.upSlope.z + proud * s.outward.z};
}

// A rectangle on the front face: x0..x1 across, low..high up the slope.
struct FaceRect {
    double x0, x1, low, high;
};

inline std::array<FaceRect, kMonitorCount> bezels()
{
    const double usable = (kMaxX - kMinX) - 2.0 * kMargin - (kMonitorCount - 1) * kMonitorGap;
    const double width = usable / kMonitorCount;
    std::array<FaceRect, kMonitorCount> result{};
    for (int i = 0; i < kMonitorCount; ++i) {
        const double x0 = kMinX + kMargin + i * (width + kMonitorGap);
        result[size_t(i)] = {x0, x0 + width, kMargin, kFaceHeight - kMargin};
    }
    return result;
}

// The screen inside a bezel, in the proportions the texture gives them.
inline FaceRect screenWithin(const FaceRect &bezel)
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

// How far each screen stands off the face.
constexpr double kScreenProud = 2.0 * kProud;

} // namespace display
