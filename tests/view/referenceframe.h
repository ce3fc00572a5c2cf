#pragma once

#include <QImage>
#include <QStringList>

// One frame of the radar view in a fixed state, drawn the same way by every
// build: a 640 x 480 view with the beam part-way round and a dozen hits of
// different ages, some overlapping one another and the sweep. Null when the
// view could not be shown or the loopback server not reached.
QImage renderReferenceFrame();

// The reference frame as another program draws it: command (a frame_dump,
// or a launcher followed by one) run with a file path added to its arguments,
// the file then read. Null when the program failed or wrote no image.
QImage dumpedReferenceFrame(const QStringList &command);

// How many pixels of two frames of one size differ.
int differingPixels(const QImage &a, const QImage &b);
