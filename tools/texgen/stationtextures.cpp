#include "stationtextures.h"

#include "noise.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{

const int StationImageSize = 512;
const double Pi = 3.14159265358979323846;

const QColor PaintedMetal(92, 108, 128);
const int PanelSize = 128;
const int GrooveWidth = 3;
const int ScrewInset = 10;
const double ScrewRadius = 4.0;

const QColor WoodLight(176, 122, 74);
const QColor WoodDark(120, 76, 42);
const int GrainBandsPerTile = 22; // grain bands across the image height
const int GrainWavesPerTile = 2;  // slow waves of the bands along x

const QColor Housing(46, 49, 54);
const QRect Bezel(32, 32, 448, 368);
const QRect Screen(56, 56, 400, 320);
const QRect ControlStrip(32, 416, 448, 80);
const int KnobXs[] = {96, 176, 256, 336};
const int LampX = 432;
const int ControlY = 456;
const QColor ScreenGlass(6, 24, 12);
const QColor LampGreen(80, 255, 110);

int channel(double value)
{
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

QRgb shade(const QColor &colour, double offset)
{
    return qRgb(channel(colour.red() + offset), channel(colour.green() + offset),
                channel(colour.blue() + offset));
}

// Panel grooves: dark inside the groove, a lit lip just below and right of it.
double grooveShade(int x, int y)
{
    const int px = x % PanelSize;
    const int py = y % PanelSize;
    if (px < GrooveWidth || py < GrooveWidth)
        return -45.0;
    if (px == GrooveWidth || py == GrooveWidth)
        return 28.0;
    return 0.0;
}

void paintScrews(QPainter &painter)
{
    painter.setPen(QPen(QColor(40, 46, 55), 1.2));
    painter.setBrush(QColor(150, 160, 172));
    for (int py = 0; py < StationImageSize; py += PanelSize) {
        for (int px = 0; px < StationImageSize; px += PanelSize) {
            for (int corner = 0; corner < 4; ++corner) {
                const double cx = px + (corner % 2 == 0 ? ScrewInset : PanelSize - ScrewInset);
                const double cy = py + (corner < 2 ? ScrewInset : PanelSize - ScrewInset);
                painter.drawEllipse(QPointF(cx, cy), ScrewRadius, ScrewRadius);
                painter.drawLine(QPointF(cx - ScrewRadius * 0.7, cy),
                                 QPointF(cx + ScrewRadius * 0.7, cy));
            }
        }
    }
}

QRgb woodPixel(int x, int y)
{
    const double size = StationImageSize;
    // Bands warped by a slow wave and by coarse noise; both repeat across the
    // tile. Raising the band to a high power leaves thin dark late-wood lines.
    const double wave = 4.0 * std::sin(2.0 * Pi * GrainWavesPerTile * x / size);
    const double warp = 40.0 * tileableFractal(x, y, StationImageSize, 16, 21);
    const double phase = (y + wave + warp) * GrainBandsPerTile / size;
    const double band = std::pow(0.5 + 0.5 * std::sin(2.0 * Pi * phase), 6.0);
    const double fibre = tileableNoise(x, y * 8.0, StationImageSize, 4, 23);
    const double patch = tileableFractal(x, y, StationImageSize, 32, 25);
    const double t = std::clamp(0.55 * band + 0.2 * fibre + 0.35 * patch, 0.0, 1.0);
    return qRgb(channel(WoodLight.red() + (WoodDark.red() - WoodLight.red()) * t),
                channel(WoodLight.green() + (WoodDark.green() - WoodLight.green()) * t),
                channel(WoodLight.blue() + (WoodDark.blue() - WoodLight.blue()) * t));
}

void paintBezel(QPainter &painter)
{
    QLinearGradient lit(Bezel.topLeft(), Bezel.bottomRight());
    lit.setColorAt(0.0, Housing.lighter(150));
    lit.setColorAt(1.0, Housing.darker(130));
    painter.setPen(QPen(Housing.darker(180), 2.0));
    painter.setBrush(lit);
    painter.drawRoundedRect(Bezel, 14, 14);
}

void paintScreen(QPainter &painter)
{
    painter.setPen(QPen(Qt::black, 3.0));
    painter.setBrush(ScreenGlass);
    painter.drawRect(Screen);
    painter.setPen(QPen(QColor(20, 60, 30), 1.0));
    for (int y = Screen.top() + 3; y < Screen.bottom(); y += 4)
        painter.drawLine(Screen.left() + 2, y, Screen.right() - 2, y);
}

void paintControls(QPainter &painter)
{
    painter.setPen(QPen(Housing.darker(180), 2.0));
    painter.setBrush(Housing.darker(115));
    painter.drawRoundedRect(ControlStrip, 8, 8);
    for (int x : KnobXs) {
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(70, 74, 80));
        painter.drawEllipse(QPointF(x, ControlY), 18, 18);
        painter.setPen(QPen(QColor(200, 200, 200), 2.5));
        painter.drawLine(QPointF(x, ControlY), QPointF(x, ControlY - 14));
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(LampGreen);
    painter.drawEllipse(QPointF(LampX, ControlY), 7, 7);
}

} // namespace

QImage makeRadarUnitTexture()
{
    QImage image(StationImageSize, StationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < StationImageSize; ++y) {
        for (int x = 0; x < StationImageSize; ++x) {
            const double grain = 16.0 * (tileableFractal(x, y, StationImageSize, 2, 31) - 0.5);
            image.setPixel(x, y, shade(PaintedMetal, grain + grooveShade(x, y)));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintScrews(painter);
    return image;
}

QImage makeTableTexture()
{
    QImage image(StationImageSize, StationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < StationImageSize; ++y) {
        for (int x = 0; x < StationImageSize; ++x)
            image.setPixel(x, y, woodPixel(x, y));
    }
    return image;
}

QImage makeDisplayTexture()
{
    QImage image(StationImageSize, StationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < StationImageSize; ++y) {
        for (int x = 0; x < StationImageSize; ++x) {
            const double grain = 10.0 * (tileableFractal(x, y, StationImageSize, 2, 41) - 0.5);
            image.setPixel(x, y, shade(Housing, grain));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBezel(painter);
    paintScreen(painter);
    paintControls(painter);
    return image;
}
