#pragma once

#include <QImage>

// The radar's own textures, each drawn on a quad that fills the 5 x 5 radar
// screen (or, for the marker, a 0.3 x 0.3 square). Image up is the direction
// of bearing 0 (away from the camera) and bearings grow clockwise, as in the
// picture on the screen.

// "radarscheibe.png": the scope, dark phosphor green with range rings and
// bearing ticks inside a dark bezel.
QImage makeScreenTexture();

// "radgreen.png": the sweep, transparent but for a bright beam edge pointing
// straight up from the centre and an afterglow fading anticlockwise behind it.
QImage makeSweepTexture();

// "person.png": a hit marker, a person on a round amber badge, transparent
// around the badge; stored upside down because the marker quad shows its
// image turned by half a turn.
QImage makeMarkerTexture();
