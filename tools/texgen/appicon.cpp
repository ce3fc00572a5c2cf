#include "appicon.h"

#include "scopepalette.h"

#include <QConicalGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace
{

// The icon is drawn in a square of kDesignSize units and scaled to the size
// asked for.
const double kDesignSize = 256.0;
const QPointF kCentre(kDesignSize / 2, kDesignSize / 2);
const double kBezelRadius = 122.0;
const double kScopeRadius = 104.0;
const int kRangeRings = 3;
const double kRingWidth = 5.0;
const double kRimWidth = 8.0;
// Lines any thinner than this many pixels fade away at the small sizes.
const double kMinLinePixels = 1.0;

// The beam points up and to the right, bearings clockwise from up as on the
// screen; the afterglow trails anticlockwise behind it.
const double kBeamBearingDeg = 60.0;
const double kTrailDeg = 100.0;
const double kBeamWidth = 7.0;
const int kTrailPeakAlpha = 200;

// Two hits inside the afterglow: bearing in degrees and range as a fraction
// of the scope's radius.
struct Blip {
    double bearingDeg;
    double range;
};
const Blip kBlips[] = {{20.0, 0.62}, {325.0, 0.38}};
const double kBlipRadius = 15.0;
const double kBlipRimWidth = 4.0;

QPointF atBearing(double bearingDeg, double distance)
{
    const double radians = qDegreesToRadians(bearingDeg);
    return kCentre + QPointF(std::sin(radians), -std::cos(radians)) * distance;
}

QPen linePen(const QColor &colour, double width, const QPainter &painter)
{
    const double unitsPerPixel = 1.0 / painter.transform().m11();
    return QPen(colour, std::max(width, kMinLinePixels * unitsPerPixel), Qt::SolidLine,
                Qt::RoundCap);
}

void paintBezel(QPainter &painter)
{
    QRadialGradient lit(kCentre, kBezelRadius);
    lit.setColorAt(0.8, palette::kBezel.lighter(180));
    lit.setColorAt(1.0, palette::kBezel);
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit);
    painter.drawEllipse(kCentre, kBezelRadius, kBezelRadius);
}

void paintPhosphor(QPainter &painter)
{
    QRadialGradient glow(kCentre, kScopeRadius);
    glow.setColorAt(0.0, palette::kPhosphorCentre);
    glow.setColorAt(1.0, palette::kPhosphorRim);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(kCentre, kScopeRadius, kScopeRadius);
}

void paintRangeRings(QPainter &painter)
{
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= kRangeRings; ++ring) {
        const double radius = kScopeRadius * ring / kRangeRings;
        painter.setPen(
            linePen(palette::kTrace, ring == kRangeRings ? kRimWidth : kRingWidth, painter));
        painter.drawEllipse(kCentre, radius, radius);
    }
}

// A conical gradient turns anticlockwise from its start angle, which Qt
// counts anticlockwise from the positive x axis.
void paintAfterglow(QPainter &painter)
{
    const double beamAngleDeg = 90.0 - kBeamBearingDeg;
    QConicalGradient trail(kCentre, beamAngleDeg);
    QColor bright = palette::kGlow;
    bright.setAlpha(kTrailPeakAlpha);
    QColor clear = palette::kGlow;
    clear.setAlpha(0);
    trail.setColorAt(0.0, bright);
    trail.setColorAt(kTrailDeg / 360.0, clear);
    trail.setColorAt(1.0, clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(trail);
    painter.drawEllipse(kCentre, kScopeRadius, kScopeRadius);
}

void paintBeam(QPainter &painter)
{
    painter.setPen(linePen(palette::kBeam, kBeamWidth, painter));
    painter.drawLine(kCentre, atBearing(kBeamBearingDeg, kScopeRadius));
}

void paintBlips(QPainter &painter)
{
    painter.setPen(linePen(palette::kBadgeRim, kBlipRimWidth, painter));
    painter.setBrush(palette::kBadge);
    for (const Blip &blip : kBlips)
        painter.drawEllipse(atBearing(blip.bearingDeg, blip.range * kScopeRadius), kBlipRadius,
                            kBlipRadius);
}

} // namespace

QImage makeAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kDesignSize, size / kDesignSize);
    paintBezel(painter);
    paintPhosphor(painter);
    paintRangeRings(painter);
    paintAfterglow(painter);
    paintBeam(painter);
    paintBlips(painter);
    return image;
}

QString appIconPath(int size)
{
    return QStringLiteral("hicolor/%1x%1/apps/radar-client.png").arg(size);
}
