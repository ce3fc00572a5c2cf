#include "sweptgap.h"

#include "wirescene.h"

#include <cmath>

SweptGap::SweptGap(double fromBeam, double toBeam, double degreesTravelled, double windowHalfWidth)
    : from(fromBeam), to(toBeam), travelled(degreesTravelled), halfWidth(windowHalfWidth)
{
}

bool SweptGap::isEmpty() const
{
    if (!(travelled > 0.0))
        return true;
    if (wholeTurn())
        return false;
    if (crossedSeam())
        return from + halfWidth >= kFullTurnDeg && to - halfWidth <= 0.0;
    return to - from <= 2.0 * halfWidth;
}

bool SweptGap::contains(float bearing) const
{
    if (isEmpty())
        return false;
    // After a whole turn the beam has come past the previous window again.
    if (wholeTurn())
        return passedNear(bearing);
    return passedNear(bearing) && !inWindow(from, bearing) && !inWindow(to, bearing);
}

bool SweptGap::wholeTurn() const
{
    return travelled >= kFullTurnDeg;
}

// Less than a turn: the beam went past 360 and on from 0 exactly when it ended
// up behind where it started.
bool SweptGap::crossedSeam() const
{
    return to < from;
}

// The folded beam positions on the way form one stretch, or two when the beam
// crossed the seam: from up to 360, then 0 up to to.
bool SweptGap::passedNear(double bearing) const
{
    if (wholeTurn())
        return nearStretch(0.0, kFullTurnDeg, bearing);
    if (crossedSeam())
        return nearStretch(from, kFullTurnDeg, bearing) || nearStretch(0.0, to, bearing);
    return nearStretch(from, to, bearing);
}

bool SweptGap::nearStretch(double first, double last, double bearing) const
{
    return bearing >= first - halfWidth && bearing <= last + halfWidth;
}

bool SweptGap::inWindow(double beam, double bearing) const
{
    return std::fabs(bearing - beam) <= halfWidth;
}
