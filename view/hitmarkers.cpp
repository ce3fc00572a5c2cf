#include "hitmarkers.h"

#include "displaylist.h"
#include "scenelayout.h"
#include "windowprojection.h"
#include "zoneoverlay.h"

#include <optional>

namespace
{

const GLfloat kAlphaPerSecondOfLife = 0.5f;

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

} // namespace

// A hit's x runs along the scene's x axis and its y along the scene's z
// axis, both from the screen centre.
QRect drawHitMarkers(const std::list<Hit> &hits, DisplayList &markerList, const ZoneOverlay *zones,
                     const QRect &wholeView)
{
    const GLfloat size = GLfloat(scene::kMarkerSize);
    for (const Hit &hit : hits) {
        glPushMatrix();
        glTranslatef(hit.x, 0.0f, hit.y);
        glScalef(size, size, size);
        const GLfloat alpha = kAlphaPerSecondOfLife * hit.life;
        if (zones != nullptr)
            zones->setMarkerColour(hit.x, hit.y, alpha);
        else
            glColor4f(1.0f, 1.0f, 1.0f, alpha);
        markerList.call();
        glPopMatrix();
    }
    return markersArea(hits, wholeView);
}
