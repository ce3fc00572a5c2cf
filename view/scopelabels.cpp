#include "scopelabels.h"

#include "displaylist.h"
#include "glyphtext.h"
#include "scenelayout.h"

#include <cmath>
#include <cstdio>

namespace
{

constexpr int kBearingStepDeg = 30;
constexpr int kFullTurn = 360;
constexpr double kNumeralHeight = 0.11;   // scene units
constexpr double kRingLabelHeight = 0.09; // scene units
constexpr double kGapPixels = 6.0;        // of the screen's texture, between ink and trace
constexpr double kTraceAlpha = 0.85;
constexpr double kRadiansPerDegree = M_PI / 180.0;

// The points of the screen's plane, from its centre: bearings point along
// (sin, -cos), 0 away from the camera.
GlyphText::Vector onScreen(double bearingDeg, double radius)
{
    const double a = bearingDeg * kRadiansPerDegree;
    return {scene::kScreenCentreX + radius * std::sin(a), scene::kScreenHeight,
            scene::kScreenCentreZ - radius * std::cos(a)};
}

// Text centred on centre, upright for the operator, read along x.
GlyphText::Placement centredOn(GlyphText::Vector centre, double height)
{
    centre.z += height / 2; // the baseline lies half a height nearer the camera
    return {centre, {1.0, 0.0, 0.0}, {0.0, 0.0, -1.0}, height, GlyphText::Align::Centre};
}

// Half the diagonal of a label: how far from its centre its ink may reach,
// whichever way it lies from a ring.
double reach(const char *label, double height)
{
    return std::hypot(GlyphText::width(label, height), height) / 2;
}

void recordBearings(const GlyphText &text, const GLfloat colour[4])
{
    const double inside = (scene::kScopeRadiusPixels - scene::kLongestTickPixels - kGapPixels) *
                              scene::kScenePerScopePixel -
                          reach("000", kNumeralHeight);
    for (int bearing = 0; bearing < kFullTurn; bearing += kBearingStepDeg) {
        char numeral[4];
        std::snprintf(numeral, sizeof numeral, "%03d", bearing);
        text.draw(numeral, centredOn(onScreen(bearing, inside), kNumeralHeight), colour);
    }
}

void recordRingDistances(const GlyphText &text, const GLfloat colour[4])
{
    for (int ring = 1; ring <= scene::kRangeRings; ++ring) {
        const double radius =
            scene::kScopeRadiusPixels * ring / scene::kRangeRings * scene::kScenePerScopePixel;
        char distance[8];
        std::snprintf(distance, sizeof distance, "%.2f", radius / scene::kScenePerZoneDistance);
        const double outside =
            radius + kGapPixels * scene::kScenePerScopePixel + reach(distance, kRingLabelHeight);
        text.draw(distance,
                  centredOn(onScreen(ScopeLabels::kRingLabelBearingDeg, outside), kRingLabelHeight),
                  colour);
    }
}

} // namespace

ScopeLabels::ScopeLabels(GLuint fontAtlas) : labels(std::make_unique<DisplayList>())
{
    const GlyphText text(fontAtlas);
    const GLfloat trace[4] = {scene::kScopeTraceRgb[0] / 255.0f, scene::kScopeTraceRgb[1] / 255.0f,
                              scene::kScopeTraceRgb[2] / 255.0f, GLfloat(kTraceAlpha)};
    labels->begin();
    recordBearings(text, trace);
    recordRingDistances(text, trace);
    DisplayList::end();
}

ScopeLabels::~ScopeLabels() = default;

void ScopeLabels::draw() const
{
    labels->call();
}
