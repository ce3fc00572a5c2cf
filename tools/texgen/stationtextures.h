#pragma once

#include <QImage>

// Textures of the station around the radar screen, for the station models to
// map their UVs onto. Each is 512 x 512; the radar unit and the table repeat
// without seams, so a model may tile them.

// "radarr2t2hell.png", the radar unit: grey-blue painted metal in a 4 x 4 grid
// of 128-pixel panels, each outlined by a dark groove with a lit lower/right
// lip and a screw in every corner. Any square region reads as console surface.
QImage makeRadarUnitTexture();

// "radartischr2thell.png", the table: warm wood laminate, grain running along
// the image's x axis, seamless in both directions.
QImage makeTableTexture();

// "radardisplay.png", the display: a dark grey monitor housing filling the
// image. Regions, in pixels (x0, y0, x1, y1):
//   housing            the whole image, plastic with a fine grain
//   bezel              (32, 32, 480, 400), a raised frame round the screen
//   screen             (56, 56, 456, 376), dark green glass with scan lines
//   control strip      (32, 416, 480, 496), four knobs at x = 96, 176, 256, 336
//                      and a green power lamp at x = 432, all at y = 456
// Map a monitor's front face onto the whole image, or its screen alone onto
// the screen region; the housing's sides and back can take any housing-only
// area, such as the strip between bezel and controls.
QImage makeDisplayTexture();
