#pragma once

// The bearings that the beam passed between two hit scans without either
// scan's window reaching them. Each scan tests a window of halfWidth degrees
// round the beam; when a tick turns the beam further than two windows span,
// the targets in between would otherwise be skipped for a whole turn.
//
// "Passed" means: some beam position on the way, folded into [0, 360] as the
// beam is, lies within halfWidth of the bearing by the plain difference, with
// no wrap-around at 0/360, just as the window test decides. So the gap holds
// exactly what the window test would have hit had the ticks come more often:
// nothing at all for ticks of up to two half-widths that stay clear of the
// 0/360 seam, and every bearing after a whole turn or more.
class SweptGap
{
public:
    // No gap, as for the first scan, which has no previous beam.
    SweptGap() = default;

    // fromBeam: the beam at the previous scan, toBeam: the beam now, both
    // folded into [0, 360]; degreesTravelled: the turn in between, not folded.
    SweptGap(double fromBeam, double toBeam, double degreesTravelled, double windowHalfWidth);

    // True when no bearing in [0, 360] lies in the gap: the common case of
    // short ticks, in which the scan needs the window test alone.
    bool isEmpty() const;

    // True when the bearing (degrees) lies in the gap; NaN never does.
    bool contains(float bearing) const;

private:
    bool wholeTurn() const;
    bool crossedSeam() const;
    bool passedNear(double bearing) const;
    bool nearStretch(double first, double last, double bearing) const;
    bool inWindow(double beam, double bearing) const;

    double from = 0.0;
    double to = 0.0;
    double travelled = 0.0;
    double halfWidth = 0.0;
};
