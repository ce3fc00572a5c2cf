#include "ocr.h"

#include <QBuffer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cmath>

namespace
{

const char kProgram[] = "tesseract";
const char kSingleLine[] = "7"; // page segmentation mode: the image is one line of text
const int kFinishMs = 30000;
// Tesseract reads best with capitals some 40 pixels tall: a line, with the
// room that a caller leaves round it, is scaled to this height.
const int kLineHeightPixels = 96;
const int kFramePixels = 16;
const int kWhite = 255;

// Brightness (the brightest channel: text may be any colour) stretched over
// 0..255 and inverted, so that the brightest ink comes out black.
QImage darkOnWhite(const QImage &image)
{
    QImage grey(image.size(), QImage::Format_Grayscale8);
    int darkest = kWhite, brightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int value = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            grey.scanLine(y)[x] = uchar(value);
            darkest = std::min(darkest, value);
            brightest = std::max(brightest, value);
        }
    const int range = std::max(1, brightest - darkest);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            uchar &value = grey.scanLine(y)[x];
            value = uchar(kWhite - (value - darkest) * kWhite / range);
        }
    return grey;
}

QImage framedInWhite(const QImage &image)
{
    QImage framed(image.width() + 2 * kFramePixels, image.height() + 2 * kFramePixels,
                  QImage::Format_Grayscale8);
    framed.fill(kWhite);
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(image.constScanLine(y), image.width(),
                    framed.scanLine(y + kFramePixels) + kFramePixels);
    return framed;
}

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QStringList arguments(const QString &whitelist)
{
    QStringList list{QStringLiteral("stdin"), QStringLiteral("stdout"), QStringLiteral("-l"),
                     QStringLiteral("eng"),   QStringLiteral("--psm"),  QLatin1String(kSingleLine)};
    if (!whitelist.isEmpty())
        list << QStringLiteral("-c")
             << QStringLiteral("tessedit_char_whitelist=") + whitelist + ' ';
    return list;
}

ocr::Reading run(const QByteArray &png, const QString &whitelist)
{
    QProcess tesseract;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // One thread: its threads only slow a single short line on a shared machine.
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    tesseract.setProcessEnvironment(environment);
    tesseract.start(QLatin1String(kProgram), arguments(whitelist));
    if (!tesseract.waitForStarted())
        return {QString(), QStringLiteral("cannot start tesseract: ") + tesseract.errorString()};
    tesseract.write(png);
    tesseract.closeWriteChannel();
    if (!tesseract.waitForFinished(kFinishMs) || tesseract.exitStatus() != QProcess::NormalExit ||
        tesseract.exitCode() != 0)
        return {QString(), QStringLiteral("tesseract failed: ") +
                               QString::fromLocal8Bit(tesseract.readAllStandardError())};
    return {QString::fromUtf8(tesseract.readAllStandardOutput()).simplified(), QString()};
}

// Heckbert's map of the unit square onto a quadrilateral: (0,0), (1,0), (1,1)
// and (0,1) go to the corners in turn.
struct SquareToQuad {
    double a, b, c, d, e, f, g, h;

    explicit SquareToQuad(const std::array<QPointF, 4> &p)
    {
        const double dx1 = p[1].x() - p[2].x(), dx2 = p[3].x() - p[2].x();
        const double dy1 = p[1].y() - p[2].y(), dy2 = p[3].y() - p[2].y();
        const double dx3 = p[0].x() - p[1].x() + p[2].x() - p[3].x();
        const double dy3 = p[0].y() - p[1].y() + p[2].y() - p[3].y();
        const double det = dx1 * dy2 - dx2 * dy1;
        g = det != 0.0 ? (dx3 * dy2 - dx2 * dy3) / det : 0.0;
        h = det != 0.0 ? (dx1 * dy3 - dx3 * dy1) / det : 0.0;
        a = p[1].x() - p[0].x() + g * p[1].x();
        b = p[3].x() - p[0].x() + h * p[3].x();
        c = p[0].x();
        d = p[1].y() - p[0].y() + g * p[1].y();
        e = p[3].y() - p[0].y() + h * p[3].y();
        f = p[0].y();
    }

    QPointF operator()(double u, double v) const
    {
        const double w = g * u + h * v + 1.0;
        return QPointF((a * u + b * v + c) / w, (d * u + e * v + f) / w);
    }
};

// The image's colour at a point (pixel centres at half pixels), black outside.
QRgb sampleBilinear(const QImage &image, const QPointF &at)
{
    const double x = at.x() - 0.5, y = at.y() - 0.5;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    double sum[3] = {};
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const QPoint texel(x0 + dx, y0 + dy);
            if (!image.rect().contains(texel))
                continue;
            const double weight = (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy);
            const QRgb pixel = image.pixel(texel);
            sum[0] += weight * qRed(pixel);
            sum[1] += weight * qGreen(pixel);
            sum[2] += weight * qBlue(pixel);
        }
    return qRgb(int(std::lround(sum[0])), int(std::lround(sum[1])), int(std::lround(sum[2])));
}

} // namespace

namespace ocr
{

Reading readLine(const QImage &image, const QString &whitelist)
{
    if (image.isNull() || image.height() == 0)
        return {QString(), QStringLiteral("no image to read")};
    // Scaled here, not by the toolkit, whose smooth scaling differs between
    // Qt 5 and Qt 6 and with it what Tesseract reads.
    const QSize lineSize(
        std::max(1, int(std::lround(image.width() * double(kLineHeightPixels) / image.height()))),
        kLineHeightPixels);
    const QImage scaled =
        rectify(darkOnWhite(image).convertToFormat(QImage::Format_RGB32),
                {QPointF(0, 0), QPointF(image.width(), 0), QPointF(image.width(), image.height()),
                 QPointF(0, image.height())},
                lineSize)
            .convertToFormat(QImage::Format_Grayscale8);
    return run(pngOf(framedInWhite(scaled)), whitelist);
}

QImage rectify(const QImage &image, const std::array<QPointF, 4> &corners, const QSize &size)
{
    const SquareToQuad map(corners);
    QImage upright(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            upright.setPixel(
                x, y,
                sampleBilinear(image, map((x + 0.5) / size.width(), (y + 0.5) / size.height())));
    return upright;
}

} // namespace ocr
