#pragma once

#include <QImage>

// One frame of the radar view in a fixed state, drawn the same way by every
// build: a 640 x 480 view with the beam part-way round and a dozen hits of
// different ages, some overlapping one another and the sweep. Null when the
// view could not be shown or the loopback server not reached.
QImage renderReferenceFrame();
