#pragma once

// Bearings of scene points seen from the screen centre, in degrees: 0 toward
// -y, 90 toward +x, 180 toward +y, 270 toward -x.

// The bearing the hit scan compares and prints, with its single-precision
// rounding steps and its factor of 180 / 3.14159. NaN at the centre itself.
float bearingOf(float X, float Y);

// True when the bearing of (X, Y) lies within halfWidth degrees of beam, by the
// plain difference (no wrap-around at 0/360); *bearing then holds it. Decides
// exactly as comparing bearingOf would, but takes the arc tangent only for
// points near the beam.
bool bearingWithin(float X, float Y, double beam, double halfWidth, float *bearing);
