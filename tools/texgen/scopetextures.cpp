#include "scopetextures.h"

#include "noise.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace
{

const int ScopeImageSize = 512;
const double ScopeCentre = ScopeImageSize / 2.0;
const double ScopeRadius = 240.0; // pixels; the rest is bezel
const int RangeRings = 4;

const QColor BezelColour(28, 33, 31);
const QColor PhosphorCentre(12, 62, 28);
const QColor PhosphorRim(3, 24, 10);
const QColor Trace(70, 220, 105);

// Sweep: the afterglow spans TrailDegrees behind the edge; the edge line is
// EdgeHalfWidth pixels either side of the vertical through the centre.
const double TrailDegrees = 75.0;
const double EdgeHalfWidth = 2.5;
const double TrailPeakAlpha = 0.8;
const QColor BeamColour(200, 255, 205);
const QColor GlowColour(40, 235, 90);

const int MarkerImageSize = 128;
const double BadgeRadius = 58.0;
const QColor BadgeColour(255, 176, 40);
const QColor BadgeRim(120, 60, 0);
const QColor FigureColour(45, 20, 0);
const double FigureScale = 1.3; // the figure is drawn in a frame of about +-40 pixels

const double Pi = 3.14159265358979323846;
const double DegreesPerRadian = 180.0 / Pi;

void paintBezel(QImage &image)
{
    for (int y = 0; y < ScopeImageSize; ++y) {
        for (int x = 0; x < ScopeImageSize; ++x) {
            const int grain = static_cast<int>(18 * tileableFractal(x, y, ScopeImageSize, 4, 11));
            image.setPixel(x, y,
                           qRgb(BezelColour.red() + grain, BezelColour.green() + grain,
                                BezelColour.blue() + grain));
        }
    }
}

void paintPhosphor(QPainter &painter)
{
    QRadialGradient glow(QPointF(ScopeCentre, ScopeCentre), ScopeRadius);
    glow.setColorAt(0.0, PhosphorCentre);
    glow.setColorAt(1.0, PhosphorRim);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(ScopeCentre, ScopeCentre), ScopeRadius, ScopeRadius);
}

void paintRangeRings(QPainter &painter)
{
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= RangeRings; ++ring) {
        const double radius = ScopeRadius * ring / RangeRings;
        painter.setPen(QPen(Trace, ring == RangeRings ? 3.0 : 1.6));
        painter.drawEllipse(QPointF(ScopeCentre, ScopeCentre), radius, radius);
    }
}

// Faint radials every 30 degrees and ticks on the rim every 5, 10 and 30.
void paintBearings(QPainter &painter)
{
    QColor faint = Trace;
    faint.setAlpha(70);
    for (int bearing = 0; bearing < 360; bearing += 5) {
        const double a = bearing / DegreesPerRadian;
        const QPointF along(std::sin(a), -std::cos(a));
        const QPointF centre(ScopeCentre, ScopeCentre);
        if (bearing % 30 == 0) {
            painter.setPen(QPen(faint, 1.0));
            painter.drawLine(centre, centre + along * ScopeRadius);
        }
        const double length = bearing % 30 == 0 ? 20.0 : bearing % 10 == 0 ? 12.0 : 6.0;
        painter.setPen(QPen(Trace, bearing % 10 == 0 ? 2.0 : 1.2));
        painter.drawLine(centre + along * ScopeRadius, centre + along * (ScopeRadius - length));
    }
}

// How far, in degrees, a pixel lies anticlockwise behind the upward beam edge.
double lagBehindEdge(double dx, double dy)
{
    const double bearing = std::atan2(dx, -dy) * DegreesPerRadian;
    return bearing <= 0.0 ? -bearing : 360.0 - bearing;
}

QRgb sweepPixel(double dx, double dy)
{
    const double radius = std::hypot(dx, dy);
    // Soft rim, so the sweep ends where the scope does.
    const double rim = std::clamp(ScopeRadius - radius, 0.0, 1.0);
    if (dy < 0.0 && std::abs(dx) <= EdgeHalfWidth) {
        const double edge = std::min(1.0, EdgeHalfWidth + 0.5 - std::abs(dx));
        return qRgba(BeamColour.red(), BeamColour.green(), BeamColour.blue(),
                     static_cast<int>(255 * edge * rim));
    }
    const double lag = lagBehindEdge(dx, dy);
    const double fade = lag < TrailDegrees ? 1.0 - lag / TrailDegrees : 0.0;
    // Transparent texels keep the glow colour so filtering draws no dark fringe.
    return qRgba(GlowColour.red(), GlowColour.green(), GlowColour.blue(),
                 static_cast<int>(255 * TrailPeakAlpha * fade * fade * rim));
}

void paintFigure(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(FigureColour);
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
    QImage image(ScopeImageSize, ScopeImageSize, QImage::Format_ARGB32);
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
    QImage image(ScopeImageSize, ScopeImageSize, QImage::Format_ARGB32);
    for (int y = 0; y < ScopeImageSize; ++y) {
        for (int x = 0; x < ScopeImageSize; ++x)
            image.setPixel(x, y, sweepPixel(x + 0.5 - ScopeCentre, y + 0.5 - ScopeCentre));
    }
    return image;
}

QImage makeMarkerTexture()
{
    QImage image(MarkerImageSize, MarkerImageSize, QImage::Format_ARGB32);
    // Transparent texels keep the badge colour so filtering draws no dark fringe.
    image.fill(QColor(BadgeColour.red(), BadgeColour.green(), BadgeColour.blue(), 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(MarkerImageSize / 2.0, MarkerImageSize / 2.0);
    painter.setPen(QPen(BadgeRim, 4.0));
    painter.setBrush(BadgeColour);
    painter.drawEllipse(QPointF(0, 0), BadgeRadius, BadgeRadius);
    painter.rotate(180.0);
    painter.scale(FigureScale, FigureScale);
    paintFigure(painter);
    return image;
}
