#pragma once

#include <QRect>
#include <QRegion>

#include <vector>

// The rectangles to copy so that every pixel of region is copied: region's
// own rectangles, merged wherever one copy of the rectangle around two costs
// less than copying both. A copy costs its pixels plus fixedCostPixels, what
// the renderer spends on any copy however small (under a software renderer, a
// flush and a wait for its threads). A region of very many rectangles is
// copied as the one around them all.
std::vector<QRect> copyAreas(const QRegion &region, qint64 fixedCostPixels);
