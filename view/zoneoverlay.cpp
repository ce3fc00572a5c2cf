#include "zoneoverlay.h"

#include "displaylist.h"
#include "scenelayout.h"
#include "wirescene.h"
#include "zoneoutline.h"
#include "zonewatch.h"

#include <cmath>

namespace
{

// How a state's outline is drawn: colour (RGBA), width in pixels, line stipple
// pattern, and height above the scene's floor.
struct LineStyle {
    GLfloat colour[4];
    GLfloat widthPixels;
    GLushort stipple;
    double height;
};

constexpr GLushort kSolid = 0xffff;
constexpr GLushort kDashes = 0x0f0f;
constexpr GLint kStippleFactor = 2; // pixels per pattern bit
constexpr GLfloat kStateWidthPixels = 3.0f;

// Phosphor green, like the screen, for an armed zone; on the screen, with it.
constexpr LineStyle kFaint{{0.35f, 1.0f, 0.45f, 0.45f}, 2.0f, kSolid, scene::kZoneOutlineHeight};
// The blink alternates between these: both in the alarm's hue and opaque, so
// that a zone in alarm never looks armed.
constexpr LineStyle kBrightAlarm{{ZoneOverlay::kAlarmColour[0], ZoneOverlay::kAlarmColour[1],
                                  ZoneOverlay::kAlarmColour[2], ZoneOverlay::kAlarmColour[3]},
                                 kStateWidthPixels,
                                 kSolid,
                                 scene::kZoneAlarmHeight};
constexpr LineStyle kDimAlarm{
    {0.6f, 0.12f, 0.04f, 1.0f}, kStateWidthPixels, kSolid, scene::kZoneAlarmHeight};
// Grey dashes for a zone that the lost signal leaves unknown.
constexpr LineStyle kUnknown{
    {0.75f, 0.75f, 0.7f, 0.9f}, kStateWidthPixels, kDashes, scene::kZoneAlarmHeight};

// The blink is timed by the beam, so that it is part of the picture the
// logic's state makes: bright for half of each quarter turn, dim for the
// other half. A quarter turn divides the turn, so every turn blinks alike,
// and at the beam's speed it lasts 1.125 s.
constexpr double kBlinkPeriodDeg = kFullTurnDeg / 4;
static_assert(kBlinkPeriodDeg / kBeamSpeedDegPerSec > 1.0 &&
                  kBlinkPeriodDeg / kBeamSpeedDegPerSec < 1.25,
              "the blink should come about once a second");

// Around a line's pixels: its width and the rounding of the projection.
constexpr int kLineMarginPixels = 3;

const LineStyle &alarmStyle(double beamDeg)
{
    return ZoneOverlay::isBlinkBright(beamDeg) ? kBrightAlarm : kDimAlarm;
}

// The number's ink stays clear of the bearing numerals just inside the rim.
constexpr double kNumberLimit = 1.75;

// The style of a zone's state outline, or null for an armed zone, which has
// only its faint one.
const LineStyle *stateStyle(ZoneWatch::State state, double beamDeg)
{
    switch (state) {
    case ZoneWatch::State::Armed:
        return nullptr;
    case ZoneWatch::State::Alarm:
        return &alarmStyle(beamDeg);
    case ZoneWatch::State::Unknown:
        break;
    }
    return &kUnknown;
}

// Untextured lines; the colour, the texturing and the line state that the
// screen, the sweep and the markers draw with come back with glPopAttrib.
void drawInStyle(DisplayList &outline, const LineStyle &style)
{
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(style.widthPixels);
    if (style.stipple != kSolid) {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(kStippleFactor, style.stipple);
    }
    glColor4fv(style.colour);
    glPushMatrix();
    glTranslated(scene::kScreenCentreX, style.height, scene::kScreenCentreZ);
    outline.call();
    glPopMatrix();
    glPopAttrib();
}

std::vector<WindowProjection::ScenePoint> scenePoints(const std::vector<OutlinePath> &paths)
{
    std::vector<WindowProjection::ScenePoint> result;
    for (const OutlinePath &path : paths) {
        for (const OutlinePoint &point : path)
            result.push_back({scene::kScreenCentreX + point.x, scene::kZoneAlarmHeight,
                              scene::kScreenCentreZ + point.z});
    }
    return result;
}

void recordPaths(const std::vector<OutlinePath> &paths)
{
    for (const OutlinePath &path : paths) {
        glBegin(GL_LINE_STRIP);
        for (const OutlinePoint &point : path)
            glVertex3d(point.x, 0.0, point.z);
        glEnd();
    }
}

} // namespace

ZoneOverlay::ZoneOverlay(const ZoneWatch &zones, GLuint fontAtlas) : zones(zones), text(fontAtlas)
{
    for (const GuardZone &zone : zones.zones()) {
        const std::vector<OutlinePath> paths = zoneOutline(zone);
        points.push_back(scenePoints(paths));
        outlines.push_back(std::make_unique<DisplayList>());
        outlines.back()->begin();
        recordPaths(paths);
        DisplayList::end();
        placeNumber(zone);
    }
}

// Upright for the operator, read along x, centred where the outline leaves
// room.
void ZoneOverlay::placeNumber(const GuardZone &zone)
{
    numbers.push_back(std::to_string(zone.number));
    const double reach =
        std::hypot(GlyphText::width(numbers.back(), kNumberHeight), kNumberHeight) / 2;
    const OutlinePoint centre = zoneNumberPlace(zone, reach, kNumberLimit);
    numberPlaces.push_back({{scene::kScreenCentreX + centre.x, scene::kZoneAlarmHeight,
                             scene::kScreenCentreZ + centre.z + kNumberHeight / 2},
                            {1.0, 0.0, 0.0},
                            {0.0, 0.0, -1.0},
                            kNumberHeight,
                            GlyphText::Align::Centre});
    numberCorners.emplace_back();
    for (const GlyphText::Vector &corner : GlyphText::corners(numbers.back(), numberPlaces.back()))
        numberCorners.back().push_back(corner);
}

bool ZoneOverlay::isBlinkBright(double beamDeg)
{
    return std::fmod(beamDeg, kBlinkPeriodDeg) < kBlinkPeriodDeg / 2;
}

const GLfloat *ZoneOverlay::alarmColour(double beamDeg)
{
    return alarmStyle(beamDeg).colour;
}

void ZoneOverlay::drawNumber(size_t zone, const GLfloat colour[4]) const
{
    text.draw(numbers[zone], numberPlaces[zone], colour);
}

ZoneOverlay::~ZoneOverlay() = default;

void ZoneOverlay::drawFaintOutlines() const
{
    for (size_t zone = 0; zone < outlines.size(); ++zone) {
        drawInStyle(*outlines[zone], kFaint);
        drawNumber(zone, kFaint.colour);
    }
}

// The lines first and the numbers after them, so that the renderer switches
// between untextured lines and textured glyphs once, not zone by zone.
QRegion ZoneOverlay::drawStateOutlines(double beamDeg) const
{
    QRegion area;
    for (size_t zone = 0; zone < outlines.size(); ++zone) {
        if (const LineStyle *style = stateStyle(zones.state(zone), beamDeg)) {
            drawInStyle(*outlines[zone], *style);
            area |= areaOf(points[zone]);
            area |= areaOf(numberCorners[zone]);
        }
    }
    for (size_t zone = 0; zone < outlines.size(); ++zone)
        if (const LineStyle *style = stateStyle(zones.state(zone), beamDeg))
            drawNumber(zone, style->colour);
    return area;
}

bool ZoneOverlay::inZoneInAlarm(const Hit &hit) const
{
    return zones.inZoneInAlarm(hit);
}

// Where lines or glyphs through these scene points land in the window; the
// whole viewport when they do not land within bounds.
QRect ZoneOverlay::areaOf(const std::vector<WindowProjection::ScenePoint> &scenePoints)
{
    const WindowProjection projection = WindowProjection::current();
    const auto area = projection.areaOf(scenePoints.data(), scenePoints.size());
    if (!area)
        return projection.viewport().toAlignedRect();
    return area->adjusted(-kLineMarginPixels, -kLineMarginPixels, kLineMarginPixels,
                          kLineMarginPixels);
}
