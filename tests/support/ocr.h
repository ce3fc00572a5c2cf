#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

#include <array>

// Reading text back out of pictures with Tesseract (Debian's tesseract-ocr),
// for tests that check what a person could read. Each reading runs the
// program once, which takes a few tenths of a second.
namespace ocr
{

// What Tesseract read, with runs of white space made single spaces; on
// failure no text and an error saying why.
struct Reading {
    QString text;
    QString error;
};

// Reads one line of light text on a dark ground, as the view draws it, made
// ready the way Tesseract reads best: brightness stretched to the full range,
// inverted to dark on white, scaled to a line height it likes and framed in
// white. whitelist, when not empty, holds the only characters it may report.
Reading readLine(const QImage &image, const QString &whitelist = QString());

// The quadrilateral of image with corners (image coordinates, in pixels from
// the image's top left corner) top left, top right, bottom right and bottom
// left, as a reader sees them, mapped onto an upright image of size: the
// perspective map between the two, sampled bilinearly. What lies outside
// image is black.
QImage rectify(const QImage &image, const std::array<QPointF, 4> &corners, const QSize &size);

} // namespace ocr
