#include "scopetextures.h"

#include "noise.h"
#include "scenelayout.h"
#include "scopepalette.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace
{

using scene::kRangeRings;
using scene::kScopeImageSize;
const double kScopeCentre = kScopeImageSize / 2.0;
const double kScopeRadius = scene::kScopeRadiusPixels; // the rest is bezel

// Sweep: the afterglow spans kTrailDegrees behind the edge; the edge line is
// kEdgeHalfWidth pixels either side of the vertical through the centre.
const double kTrailDegrees = 75.0;
const double kEdgeHalfWidth = 2.5;
const double kTrailPeakAlpha = 0.8;

const int kMarkerImageSize = 128;
const double kBadgeRadius = 58.0;
const QColor kFigureColour(45, 20, 0);
const double kFigureScale = 1.3; // the figure is drawn in a frame of about +-40 pixels

const double kPi = 3.14159265358979323846;
const double kDegreesPerRadian = 180.0 / kPi;

void paintBezel(QImage &image)
{
    for (int y = 0; y < kScopeImageSize; ++y) {
        for (int x = 0; x < kScopeImageSize; ++x) {
            const int grain = static_cast<int>(18 * tileableFractal(x, y, kScopeImageSize, 4, 11));
            image.setPixel(x, y,
                           qRgb(palette::kBezel.red() + grain, palette::kBezel.green() + grain,
                                palette::kBezel.blue() + grain));
        }
    }
}

void paintPhosphor(QPainter &painter)
{
    QRadialGradient glow(QPointF(kScopeCentre, kScopeCentre), kScopeRadius);
    glow.setColorAt(0.0, palette::kPhosphorCentre);
    glow.setColorAt(1.0, palette::kPhosphorRim);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(kScopeCentre, kScopeCentre), kScopeRadius, kScopeRadius);
}

void paintRangeRings(QPainter &painter)
{
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= kRangeRings; ++ring) {
        const double radius = kScopeRadius * ring / kRangeRings;
        painter.setPen(QPen(palette::kTrace, ring == kRangeRings ? 3.0 : 1.6));
        painter.drawEllipse(QPointF(kScopeCentre, kScopeCentre), radius, radius);
    }
}

// Faint radials every 30 degrees and ticks on the rim every 5, 10 and 30.
void paintBearings(QPainter &painter)
{
    QColor faint = palette::kTrace;
    faint.setAlpha(70);
    for (int bearing = 0; bearing < 360; bearing += 5) {
        const double a = bearing / kDegreesPerRadian;
        const QPointF along(std::sin(a), -std::cos(a));
        const QPointF centre(kScopeCentre, kScopeCentre);
        if (bearing % 30 == 0) {
            painter.setPen(QPen(faint, 1.0));
            painter.drawLine(centre, centre + along * kScopeRadius);
        }
        const double length = bearing % 30 == 0   ? scene::kLongestTickPixels
                              : bearing % 10 == 0 ? 12.0
                                                  : 6.0;
        painter.setPen(QPen(palette::kTrace, bearing % 10 == 0 ? 2.0 : 1.2));
        painter.drawLine(centre + along * kScopeRadius, centre + along * (kScopeRadius - length));
    }
}

// How far, in degrees, a pixel lies anticlockwise behind the upward beam edge.
double lagBehindEdge(double dx, double dy)
{
    const double bearing = std::atan2(dx, -dy) * kDegreesPerRadian;
    return bearing <= 0.0 ? -bearing : 360.0 - bearing;
}

QRgb sweepPixel(double dx, double dy)
{
    const double radius = std::hypot(dx, dy);
    // Soft rim, so the sweep ends where the scope does.
    const double rim = std::clamp(kScopeRadius - radius, 0.0, 1.0);
    if (dy < 0.0 && std::abs(dx) <= kEdgeHalfWidth) {
        const double edge = std::min(1.0, kEdgeHalfWidth + 0.5 - std::abs(dx));
        return qRgba(palette::kBeam.red(), palette::kBeam.green(), palette::kBeam.blue(),
                     static_cast<int>(255 * edge * rim));
    }
    const double lag = lagBehindEdge(dx, dy);
    const double fade = lag < kTrailDegrees ? 1.0 - lag / kTrailDegrees : 0.0;
    // Transparent texels keep the glow colour so filtering draws no dark fringe.
    return qRgba(palette::kGlow.red(), palette::kGlow.green(), palette::kGlow.blue(),
                 static_cast<int>(255 * kTrailPeakAlpha * fade * fade * rim));
}

void paintFigure(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFigureColour);
    painter.drawEllipse(QPointF(0, -26), 11, 11);            // head
    painter.drawRoundedRect(QRectF(-15, -13, 30, 30), 7, 7); // torso
    painter.drawRoundedRect(QRectF(-24, -12, 8, 26), 4, 4);  // arms
    painter.drawRoundedRect(QRectF(16, -12, 8, 26), 4, 4);
    painter.drawRoundedRect(QRectF(-13, 14, 11, 28), 4, 4); // legs
    painter.drawRoundedRect(QRectF(2, 14, 11, 28), 4, 4);
}

} // namespace

QImage makeScreenTexture()
{
    QImage image(kScopeImageSize, kScopeImageSize, QImage::Format_ARGB32);
    paintBezel(image);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPhosphor(painter);
    paintRangeRings(painter);
    paintBearings(painter);
    return image;
}

QImage makeSweepTexture()
{
    QImage image(kScopeImageSize, kScopeImageSize, QImage::Format_ARGB32);
    for (int y = 0; y < kScopeImageSize; ++y) {
        for (int x = 0; x < kScopeImageSize; ++x)
            image.setPixel(x, y, sweepPixel(x + 0.5 - kScopeCentre, y + 0.5 - kScopeCentre));
    }
    return image;
}

QImage makeMarkerTexture()
{
    QImage image(kMarkerImageSize, kMarkerImageSize, QImage::Format_ARGB32);
    // Transparent texels keep the badge colour so filtering draws no dark fringe.
    image.fill(QColor(palette::kBadge.red(), palette::kBadge.green(), palette::kBadge.blue(), 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kMarkerImageSize / 2.0, kMarkerImageSize / 2.0);
    painter.setPen(QPen(palette::kBadgeRim, 4.0));
    painter.setBrush(palette::kBadge);
    painter.drawEllipse(QPointF(0, 0), kBadgeRadius, kBadgeRadius);
    painter.rotate(180.0);
    painter.scale(kFigureScale, kFigureScale);
    paintFigure(painter);
    return image;
}
