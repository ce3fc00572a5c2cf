#include "zoneoverlay.h"

#include "displaylist.h"
#include "scenelayout.h"
#include "windowprojection.h"
#include "zonewatch.h"

#include <cmath>

namespace
{

// Phosphor green, like the screen, for a quiet zone.
constexpr GLfloat kFaintColour[4] = {0.35f, 1.0f, 0.45f, 0.45f};
constexpr GLfloat kLineWidthPixels = 2.0f;
// The bright outline is shown while the beam turns through this many degrees,
// then not for as many: at 80 degrees a second, a blink a second. Timed by
// the beam, the blink is part of the picture that the logic's state makes.
constexpr double kBlinkHalfPeriodDeg = 40.0;
// Around a line's pixels: its width and the rounding of the projection.
constexpr int kLineMarginPixels = 3;

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

ZoneOverlay::ZoneOverlay(const ZoneWatch &zones) : zones(zones)
{
    for (const GuardZone &zone : zones.zones()) {
        paths.push_back(zoneOutline(zone));
        outlines.push_back(std::make_unique<DisplayList>());
        outlines.back()->begin();
        recordPaths(paths.back());
        DisplayList::end();
    }
}

ZoneOverlay::~ZoneOverlay() = default;

void ZoneOverlay::drawFaintOutlines() const
{
    beginLines(kFaintColour);
    for (size_t zone = 0; zone < outlines.size(); ++zone)
        drawOutline(zone, scene::kZoneOutlineHeight);
    glPopAttrib();
}

QRect ZoneOverlay::drawAlarmOutlines(double beamDeg) const
{
    if (!isBright(beamDeg))
        return QRect();
    QRect area;
    beginLines(kAlarmColour);
    for (size_t zone = 0; zone < outlines.size(); ++zone) {
        if (!zones.isInAlarm(zone))
            continue;
        drawOutline(zone, scene::kZoneAlarmHeight);
        area |= areaOf(zone);
    }
    glPopAttrib();
    return area;
}

// Untextured lines in colour; the colour, the texturing and the line width
// that the screen, the sweep and the markers draw with come back with
// glPopAttrib.
void ZoneOverlay::beginLines(const GLfloat colour[4]) const
{
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(kLineWidthPixels);
    glColor4fv(colour);
}

bool ZoneOverlay::inZoneInAlarm(float X, float Y) const
{
    return zones.inZoneInAlarm(X, Y);
}

bool ZoneOverlay::isBright(double beamDeg)
{
    return std::fmod(beamDeg, 2 * kBlinkHalfPeriodDeg) < kBlinkHalfPeriodDeg;
}

void ZoneOverlay::drawOutline(size_t zone, double height) const
{
    glPushMatrix();
    glTranslated(scene::kScreenCentreX, height, scene::kScreenCentreZ);
    outlines[zone]->call();
    glPopMatrix();
}

// Where the zone's outline lands in the window, with the coordinates the
// scene's.
QRect ZoneOverlay::areaOf(size_t zone) const
{
    const WindowProjection projection = WindowProjection::current();
    double left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;
    for (const OutlinePath &path : paths[zone]) {
        for (const OutlinePoint &point : path) {
            const auto onWindow =
                projection.toWindow(scene::kScreenCentreX + point.x, scene::kZoneAlarmHeight,
                                    scene::kScreenCentreZ + point.z);
            if (!onWindow)
                return projection.viewport().toAlignedRect();
            left = std::min(left, onWindow->x());
            right = std::max(right, onWindow->x());
            bottom = std::min(bottom, onWindow->y());
            top = std::max(top, onWindow->y());
        }
    }
    return QRect(QPoint(int(std::floor(left)), int(std::floor(bottom))),
                 QPoint(int(std::ceil(right)), int(std::ceil(top))))
        .adjusted(-kLineMarginPixels, -kLineMarginPixels, kLineMarginPixels, kLineMarginPixels);
}
