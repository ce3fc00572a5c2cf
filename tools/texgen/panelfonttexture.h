#pragma once

#include <QImage>

// "panelfont.png": the panel font's atlas (view/panelfont.h holds the design
// and the layout). Each glyph is white strokes with round caps over a faint
// glow, on transparent texels: alpha is the coverage and the colour white, so
// that the view tints the text with its own colour.
QImage makePanelFontTexture();
