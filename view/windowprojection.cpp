#include "windowprojection.h"

#include "shapes.h"

#include <QtGui/qopengl.h>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int kRows = 4;
// Clip-space w at or below this is taken to be behind the eye.
constexpr double kSmallestW = 1e-9;

// Window coordinates beyond this are taken as off any window: an area there
// is not bounded (hits are not clipped to the screen, and their coordinates
// come from the server).
constexpr double kFarthestPixel = 1e6;

// Pixels added around an area: room for the rounding of the projection here
// against the rasteriser's.
constexpr double kAreaMarginPixels = 2.0;

// a times b, 4 x 4 matrices stored column after column.
void multiply(const double *a, const double *b, double *product)
{
    for (int column = 0; column < kRows; ++column)
        for (int row = 0; row < kRows; ++row) {
            double sum = 0.0;
            for (int k = 0; k < kRows; ++k)
                sum += a[k * kRows + row] * b[column * kRows + k];
            product[column * kRows + row] = sum;
        }
}

} // namespace

WindowProjection WindowProjection::current()
{
    double modelview[16];
    double projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    WindowProjection result;
    multiply(projection, modelview, result.matrix);
    result.view = QRectF(viewport[0], viewport[1], viewport[2], viewport[3]);
    return result;
}

std::optional<QPointF> WindowProjection::toWindow(double x, double y, double z) const
{
    // Rows 0, 1 and 3 of the matrix: depth is not wanted.
    const double clipX = matrix[0] * x + matrix[4] * y + matrix[8] * z + matrix[12];
    const double clipY = matrix[1] * x + matrix[5] * y + matrix[9] * z + matrix[13];
    const double clipW = matrix[3] * x + matrix[7] * y + matrix[11] * z + matrix[15];
    if (!(clipW > kSmallestW))
        return std::nullopt;
    return QPointF(view.x() + (clipX / clipW + 1.0) * 0.5 * view.width(),
                   view.y() + (clipY / clipW + 1.0) * 0.5 * view.height());
}

std::optional<QRect> WindowProjection::areaOf(const ScenePoint *points, size_t count) const
{
    double left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;
    for (size_t i = 0; i < count; ++i) {
        const ScenePoint &point = points[i];
        const auto onWindow = toWindow(point.x, point.y, point.z);
        if (!onWindow || !(std::abs(onWindow->x()) < kFarthestPixel) ||
            !(std::abs(onWindow->y()) < kFarthestPixel))
            return std::nullopt;
        left = std::min(left, onWindow->x());
        right = std::max(right, onWindow->x());
        bottom = std::min(bottom, onWindow->y());
        top = std::max(top, onWindow->y());
    }
    const int x0 = int(std::floor(left - kAreaMarginPixels));
    const int y0 = int(std::floor(bottom - kAreaMarginPixels));
    const int x1 = int(std::ceil(right + kAreaMarginPixels));
    const int y1 = int(std::ceil(top + kAreaMarginPixels));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

std::optional<QRect> WindowProjection::quadArea() const
{
    const double h = kQuadHalfSide;
    return areaOf({{-h, -h, 0.0}, {h, -h, 0.0}, {-h, h, 0.0}, {h, h, 0.0}});
}
