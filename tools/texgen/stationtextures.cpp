#include "stationtextures.h"

#include "noise.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{

const int kStationImageSize = 512;
const double kPi = 3.14159265358979323846;

const QColor kPaintedMetal(92, 108, 128);
const int kPanelSize = 128;
const int kGrooveWidth = 3;
const int kScrewInset = 10;
const double kScrewRadius = 4.0;

const QColor kWoodLight(176, 122, 74);
const QColor kWoodDark(120, 76, 42);
const int kGrainBandsPerTile = 22; // grain bands across the image height
const int kGrainWavesPerTile = 2;  // slow waves of the bands along x

const QColor kHousing(46, 49, 54);
const QRect kBezel(32, 32, 448, 368);
const QRect kScreen(56, 56, 400, 320);
const QRect kControlStrip(32, 416, 448, 80);
const int kKnobXs[] = {96, 176, 256, 336};
const int kLampX = 432;
const int kControlY = 456;
const QColor kScreenGlass(6, 24, 12);
const QColor kLampGreen(80, 255, 110);

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
    const int px = x % kPanelSize;
    const int py = y % kPanelSize;
    if (px < kGrooveWidth || py < kGrooveWidth)
        return -45.0;
    if (px == kGrooveWidth || py == kGrooveWidth)
        return 28.0;
    return 0.0;
}

void paintScrews(QPainter &painter)
{
    painter.setPen(QPen(QColor(40, 46, 55), 1.2));
    painter.setBrush(QColor(150, 160, 172));
    for (int py = 0; py < kStationImageSize; py += kPanelSize) {
        for (int px = 0; px < kStationImageSize; px += kPanelSize) {
            for (int corner = 0; corner < 4; ++corner) {
                const double cx = px + (corner % 2 == 0 ? kScrewInset : kPanelSize - kScrewInset);
                const double cy = py + (corner < 2 ? kScrewInset : kPanelSize - kScrewInset);
                painter.drawEllipse(QPointF(cx, cy), kScrewRadius, kScrewRadius);
                painter.drawLine(QPointF(cx - kScrewRadius * 0.7, cy),
                                 QPointF(cx + kScrewRadius * 0.7, cy));
            }
        }
    }
}

QRgb woodPixel(int x, int y)
{
    const double size = kStationImageSize;
    // Bands warped by a slow wave and by coarse noise; both repeat across the
    // tile. Raising the band to a high power leaves thin dark late-wood lines.
    const double wave = 4.0 * std::sin(2.0 * kPi * kGrainWavesPerTile * x / size);
    const double warp = 40.0 * tileableFractal(x, y, kStationImageSize, 16, 21);
    const double phase = (y + wave + warp) * kGrainBandsPerTile / size;
    const double band = std::pow(0.5 + 0.5 * std::sin(2.0 * kPi * phase), 6.0);
    const double fibre = tileableNoise(x, y * 8.0, kStationImageSize, 4, 23);
    const double patch = tileableFractal(x, y, kStationImageSize, 32, 25);
    const double t = std::clamp(0.55 * band + 0.2 * fibre + 0.35 * patch, 0.0, 1.0);
    return qRgb(channel(kWoodLight.red() + (kWoodDark.red() - kWoodLight.red()) * t),
                channel(kWoodLight.green() + (kWoodDark.green() - kWoodLight.green()) * t),
                channel(kWoodLight.blue() + (kWoodDark.blue() - kWoodLight.blue()) * t));
}

void paintBezel(QPainter &painter)
{
    QLinearGradient lit(kBezel.topLeft(), kBezel.bottomRight());
    lit.setColorAt(0.0, kHousing.lighter(150));
    lit.setColorAt(1.0, kHousing.darker(130));
    painter.setPen(QPen(kHousing.darker(180), 2.0));
    painter.setBrush(lit);
    painter.drawRoundedRect(kBezel, 14, 14);
}

void paintScreen(QPainter &painter)
{
    painter.setPen(QPen(Qt::black, 3.0));
    painter.setBrush(kScreenGlass);
    painter.drawRect(kScreen);
    painter.setPen(QPen(QColor(20, 60, 30), 1.0));
    for (int y = kScreen.top() + 3; y < kScreen.bottom(); y += 4)
        painter.drawLine(kScreen.left() + 2, y, kScreen.right() - 2, y);
}

void paintControls(QPainter &painter)
{
    painter.setPen(QPen(kHousing.darker(180), 2.0));
    painter.setBrush(kHousing.darker(115));
    painter.drawRoundedRect(kControlStrip, 8, 8);
    for (int x : kKnobXs) {
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(70, 74, 80));
        painter.drawEllipse(QPointF(x, kControlY), 18, 18);
        painter.setPen(QPen(QColor(200, 200, 200), 2.5));
        painter.drawLine(QPointF(x, kControlY), QPointF(x, kControlY - 14));
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(kLampGreen);
    painter.drawEllipse(QPointF(kLampX, kControlY), 7, 7);
}

} // namespace

QImage makeRadarUnitTexture()
{
    QImage image(kStationImageSize, kStationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < kStationImageSize; ++y) {
        for (int x = 0; x < kStationImageSize; ++x) {
            const double grain = 16.0 * (tileableFractal(x, y, kStationImageSize, 2, 31) - 0.5);
            image.setPixel(x, y, shade(kPaintedMetal, grain + grooveShade(x, y)));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintScrews(painter);
    return image;
}

QImage makeTableTexture()
{
    QImage image(kStationImageSize, kStationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < kStationImageSize; ++y) {
        for (int x = 0; x < kStationImageSize; ++x)
            image.setPixel(x, y, woodPixel(x, y));
    }
    return image;
}

QImage makeDisplayTexture()
{
    QImage image(kStationImageSize, kStationImageSize, QImage::Format_RGB32);
    for (int y = 0; y < kStationImageSize; ++y) {
        for (int x = 0; x < kStationImageSize; ++x) {
            const double grain = 10.0 * (tileableFractal(x, y, kStationImageSize, 2, 41) - 0.5);
            image.setPixel(x, y, shade(kHousing, grain));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBezel(painter);
    paintScreen(painter);
    paintControls(painter);
    return image;
}
