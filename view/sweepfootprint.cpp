#include "sweepfootprint.h"

#include "displaylist.h"
#include "shapes.h"
#include "windowprojection.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

constexpr int kBandRows = 16; // window rows per scissored band
// Pixels added around each band: room for the rounding of this projection
// against the rasteriser's, and for pixel centres on an edge.
constexpr double kMarginPixels = 2.0;

// The quad's corners lie this far from its centre (quad units), so as the beam
// turns the quad sweeps a disc of this radius.
const double kQuadReach = std::sqrt(2.0) * kQuadHalfSide;
// Where the texels a pixel spans are measured: rings over that disc.
constexpr int kRings = 4;
constexpr int kPointsPerRing = 24;
constexpr double kFullTurnRad = 2.0 * M_PI;
// Quad units between the two points of a central difference.
constexpr double kStep = 1e-3;
// Below this a projected quad unit has no area: the quad is seen edge on.
constexpr double kSmallestArea = 1e-9;
// Over the texels per pixel measured here, for how a renderer measures them:
// at most the sum of the derivatives' absolute values (the square root of two
// times their length), and over blocks of 2 x 2 pixels rather than at a
// point. It can cost one more mipmap level of reach, never a cut pixel.
constexpr double kRatioAllowance = 2.0;

// Per row of level 0's texels, the span of texels that the filter can reach.
struct Spans {
    Spans(int width, int height)
        : width(width), first(size_t(height), width), last(size_t(height), -1)
    {
    }

    // Texels i0..i1 of row, wrapped around the edges as GL_REPEAT wraps them;
    // a span split by the wrap covers the row, which is the safe side.
    void mark(int row, int i0, int i1)
    {
        const int lo = i0 < 0 || i1 >= width ? 0 : i0;
        const int hi = i0 < 0 || i1 >= width ? width - 1 : i1;
        first[size_t(row)] = std::min(first[size_t(row)], lo);
        last[size_t(row)] = std::max(last[size_t(row)], hi);
    }

    int width;
    std::vector<int> first; // width where the row has no span
    std::vector<int> last;  // -1 where the row has no span
};

int wrapped(int index, int size)
{
    return ((index % size) + size) % size;
}

// Bilinear filtering at a texture coordinate reads the texels whose centres
// lie less than a texel away in each axis, so a visible texel a of a level
// can colour the coordinates (a - 0.5) to (a + 1.5) of its own texels.
void markReach(const std::vector<bool> &visible, int levelWidth, int levelHeight, Spans &spans)
{
    const int height = int(spans.first.size());
    const double scaleX = double(spans.width) / levelWidth;
    const double scaleY = double(height) / levelHeight;
    for (int b = 0; b < levelHeight; ++b) {
        const int j0 = int(std::floor((b - 0.5) * scaleY));
        const int j1 = std::min(int(std::ceil((b + 1.5) * scaleY)) - 1, j0 + height - 1);
        for (int a = 0; a < levelWidth; ++a) {
            if (!visible[size_t(b) * size_t(levelWidth) + size_t(a)])
                continue;
            const int i0 = int(std::floor((a - 0.5) * scaleX));
            const int i1 = int(std::ceil((a + 1.5) * scaleX)) - 1;
            for (int j = j0; j <= j1; ++j)
                spans.mark(wrapped(j, height), i0, i1);
        }
    }
}

double cross(const QPointF &o, const QPointF &a, const QPointF &b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// Andrew's monotone chain: the convex hull, counter-clockwise.
std::vector<QPointF> convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (points.size() < 3)
        return points;
    std::vector<QPointF> hull(2 * points.size());
    size_t k = 0;
    for (const QPointF &p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    const size_t lowerEnd = k + 1;
    for (auto p = points.rbegin() + 1; p != points.rend(); ++p) {
        while (k >= lowerEnd && cross(hull[k - 2], hull[k - 1], *p) <= 0)
            --k;
        hull[k++] = *p;
    }
    hull.resize(k - 1);
    return hull;
}

// Texels of level 0 (width x height over the quad) per window pixel at point
// of the quad, the larger of the two window axes; nothing where a neighbour
// of the point lies behind the eye or the quad is seen edge on.
std::optional<double> texelsPerPixel(const WindowProjection &projection, const QPointF &point,
                                     int width, int height)
{
    const auto right = projection.toWindow(point + QPointF(kStep, 0.0));
    const auto left = projection.toWindow(point - QPointF(kStep, 0.0));
    const auto up = projection.toWindow(point + QPointF(0.0, kStep));
    const auto down = projection.toWindow(point - QPointF(0.0, kStep));
    if (!right || !left || !up || !down)
        return std::nullopt;
    // Window pixels per quad unit along the quad's axes, then the inverse:
    // quad units per window pixel along the window's axes.
    const QPointF alongX = (*right - *left) / (2.0 * kStep);
    const QPointF alongY = (*up - *down) / (2.0 * kStep);
    const double area = alongX.x() * alongY.y() - alongY.x() * alongX.y();
    if (std::abs(area) < kSmallestArea)
        return std::nullopt;
    const QPointF perWindowX(alongY.y() / area, -alongX.y() / area);
    const QPointF perWindowY(-alongY.x() / area, alongX.x() / area);
    const auto texels = [&](const QPointF &d) { return std::hypot(d.x() * width, d.y() * height); };
    return std::max(texels(perWindowX), texels(perWindowY));
}

// The leftmost and rightmost x of the convex polygon between two heights.
std::optional<std::pair<double, double>> extentBetween(const std::vector<QPointF> &polygon,
                                                       double bottom, double top)
{
    std::optional<std::pair<double, double>> extent;
    const auto take = [&extent](double x) {
        extent = extent ? std::make_pair(std::min(extent->first, x), std::max(extent->second, x))
                        : std::make_pair(x, x);
    };
    for (size_t i = 0; i < polygon.size(); ++i) {
        const QPointF &p = polygon[i];
        const QPointF &q = polygon[(i + 1) % polygon.size()];
        if (std::max(p.y(), q.y()) < bottom || std::min(p.y(), q.y()) > top)
            continue;
        if (p.y() == q.y()) {
            take(p.x());
            take(q.x());
            continue;
        }
        // The part of the edge between the heights, as parameters along it.
        const double atBottom = (bottom - p.y()) / (q.y() - p.y());
        const double atTop = (top - p.y()) / (q.y() - p.y());
        const double from = std::clamp(std::min(atBottom, atTop), 0.0, 1.0);
        const double to = std::clamp(std::max(atBottom, atTop), 0.0, 1.0);
        take(p.x() + from * (q.x() - p.x()));
        take(p.x() + to * (q.x() - p.x()));
    }
    return extent;
}

// Bands of kBandRows rows over the polygon, each as wide as the polygon is
// within its rows and a margin, inside the viewport.
std::vector<QRect> rowBands(const std::vector<QPointF> &polygon, const QRectF &viewport)
{
    double bottom = polygon.front().y();
    double top = bottom;
    for (const QPointF &p : polygon) {
        bottom = std::min(bottom, p.y());
        top = std::max(top, p.y());
    }
    const int firstRow = std::max(int(std::floor(bottom - kMarginPixels)), int(viewport.y()));
    const int endRow =
        std::min(int(std::ceil(top + kMarginPixels)), int(viewport.y() + viewport.height()));
    std::vector<QRect> bands;
    for (int row = firstRow; row < endRow; row += kBandRows) {
        const int rows = std::min(kBandRows, endRow - row);
        const auto extent = extentBetween(polygon, row - kMarginPixels, row + rows + kMarginPixels);
        if (!extent)
            continue;
        const int left =
            std::max(int(std::floor(extent->first - kMarginPixels)), int(viewport.x()));
        const int right = std::min(int(std::ceil(extent->second + kMarginPixels)),
                                   int(viewport.x() + viewport.width()));
        if (right > left)
            bands.emplace_back(left, row, right - left, rows);
    }
    return bands;
}

} // namespace

std::unique_ptr<SweepFootprint> SweepFootprint::ofBoundTexture()
{
    std::vector<Level> levels;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLint level = 0;; ++level) {
        GLint width = 0;
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        if (width <= 0 || height <= 0)
            break;
        std::vector<GLubyte> alpha(size_t(width) * size_t(height));
        glGetTexImage(GL_TEXTURE_2D, level, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        std::vector<bool> visible(alpha.size());
        std::transform(alpha.begin(), alpha.end(), visible.begin(),
                       [](GLubyte a) { return a > 0; });
        levels.push_back({width, height, std::move(visible)});
    }
    glPopClientAttrib();
    if (levels.empty())
        return nullptr;
    return std::unique_ptr<SweepFootprint>(new SweepFootprint(std::move(levels)));
}

SweepFootprint::SweepFootprint(std::vector<Level> levels)
    : levels(std::move(levels)), hulls(this->levels.size())
{
}

std::optional<QRect> SweepFootprint::drawInBands(DisplayList &quad)
{
    const auto scissors = bands();
    if (!scissors)
        return std::nullopt;
    QRect area;
    glEnable(GL_SCISSOR_TEST);
    for (const QRect &band : *scissors) {
        glScissor(band.x(), band.y(), band.width(), band.height());
        quad.call();
        area |= band;
    }
    glDisable(GL_SCISSOR_TEST);
    return area;
}

std::optional<std::vector<QRect>> SweepFootprint::bands()
{
    const WindowProjection projection = WindowProjection::current();
    const int highest = highestSampledLevel(projection);
    if (highest < 0)
        return std::nullopt;
    std::vector<QPointF> polygon;
    for (const QPointF &corner : hullUpTo(highest)) {
        const auto onWindow = projection.toWindow(corner);
        if (!onWindow)
            return std::nullopt;
        polygon.push_back(*onWindow);
    }
    if (polygon.empty())
        return std::vector<QRect>();
    return rowBands(polygon, projection.viewport());
}

// Filtering between mipmap levels reads the level of the pixel's texel ratio
// and the next one up; the ratio is largest where the quad is farthest away.
int SweepFootprint::highestSampledLevel(const WindowProjection &projection) const
{
    double most = 0.0;
    for (int ring = 0; ring <= kRings; ++ring) {
        const double radius = kQuadReach * ring / kRings;
        for (int i = 0; i < kPointsPerRing; ++i) {
            const double angle = kFullTurnRad * i / kPointsPerRing;
            const QPointF point(radius * std::cos(angle), radius * std::sin(angle));
            const auto ratio =
                texelsPerPixel(projection, point, levels.front().width, levels.front().height);
            if (!ratio)
                return -1;
            most = std::max(most, *ratio);
        }
    }
    const double lod = std::log2(most * kRatioAllowance);
    const int highest = lod <= 0.0 ? 0 : int(std::floor(lod)) + 1;
    return std::min(highest, int(levels.size()) - 1);
}

const std::vector<QPointF> &SweepFootprint::hullUpTo(int level)
{
    std::optional<std::vector<QPointF>> &hull = hulls[size_t(level)];
    if (!hull)
        hull = computeHull(level);
    return *hull;
}

// The texture coordinates (s, t) 0..1 lie on the quad at (0.5 - s, 0.5 - t).
std::vector<QPointF> SweepFootprint::computeHull(int level) const
{
    const int width = levels.front().width;
    const int height = levels.front().height;
    Spans spans(width, height);
    for (int l = 0; l <= level; ++l)
        markReach(levels[size_t(l)].visible, levels[size_t(l)].width, levels[size_t(l)].height,
                  spans);
    std::vector<QPointF> corners;
    for (int row = 0; row < height; ++row) {
        if (spans.last[size_t(row)] < 0)
            continue;
        for (const int t : {row, row + 1})
            for (const int s : {spans.first[size_t(row)], spans.last[size_t(row)] + 1})
                corners.emplace_back(0.5 - double(s) / width, 0.5 - double(t) / height);
    }
    return convexHull(corners);
}
