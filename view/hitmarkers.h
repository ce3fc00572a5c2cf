#pragma once

#include "hit.h"

#include <QRect>

#include <list>

class DisplayList;
class ZoneOverlay;

// Draws one marker per hit, in list order: markerList (the marker's quad,
// texture and turn to lie flat) scaled to the marker's size at the hit's
// place, with alpha 0.5 times its life, so that a new hit (life 2) is opaque
// and fades out linearly. Markers of hits inside a guard zone in alarm take
// the alarm colour when zones is given, and are drawn after the others. The current coordinates
// must be centred on the screen at the markers' height; the view's context current. Returns the
// window area drawn in, or wholeView when it cannot be told.
QRect drawHitMarkers(const std::list<Hit> &hits, DisplayList &markerList, const ZoneOverlay *zones,
                     const QRect &wholeView);
