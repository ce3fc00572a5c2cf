#include "hitmarkers.h"

#include "displaylist.h"
#include "scenelayout.h"
#include "windowprojection.h"
#include "zoneoverlay.h"

#include <optional>
#include <vector>

namespace
{

const GLfloat kAlphaPerSecondOfLife = 0.5f;
const GLfloat kPlainColour[3] = {1.0f, 1.0f, 1.0f};

// A marker centred on (x, 0, z) of the current coordinates.
std::optional<QRect> markerArea(const WindowProjection &projection, float x, float z)
{
    const double h = scene::kMarkerSize / 2;
    return projection.areaOf(
        {{x - h, 0.0, z - h}, {x + h, 0.0, z - h}, {x - h, 0.0, z + h}, {x + h, 0.0, z + h}});
}

QRect markersArea(const std::list<Hit> &hits, const QRect &wholeView)
{
    if (hits.empty())
        return QRect();
    const WindowProjection projection = WindowProjection::current();
    QRect area;
    for (const Hit &hit : hits) {
        const auto marker = markerArea(projection, hit.x, hit.y);
        if (!marker)
            return wholeView;
        area |= *marker;
    }
    return area;
}

void drawMarker(const Hit &hit, DisplayList &markerList, const GLfloat colour[3])
{
    const GLfloat size = GLfloat(scene::kMarkerSize);
    glPushMatrix();
    glTranslatef(hit.x, 0.0f, hit.y);
    glScalef(size, size, size);
    glColor4f(colour[0], colour[1], colour[2], kAlphaPerSecondOfLife * hit.life);
    markerList.call();
    glPopMatrix();
}

} // namespace

// A hit's x runs along the scene's x axis and its y along the scene's z
// axis, both from the screen centre. With zones, the markers in the alarm
// colour come after the others, each group in list order: switching the
// colour back and forth from marker to marker costs the software renderer
// several milliseconds a frame, and the alarm's markers belong on top.
QRect drawHitMarkers(const std::list<Hit> &hits, DisplayList &markerList, const ZoneOverlay *zones,
                     const QRect &wholeView)
{
    std::vector<const Hit *> alarmed;
    for (const Hit &hit : hits) {
        if (zones != nullptr && zones->inZoneInAlarm(hit))
            alarmed.push_back(&hit);
        else
            drawMarker(hit, markerList, kPlainColour);
    }
    for (const Hit *hit : alarmed)
        drawMarker(*hit, markerList, ZoneOverlay::kAlarmColour);
    return markersArea(hits, wholeView);
}
