#include "copyareas.h"

namespace
{

// Beyond this many rectangles the search for merges would cost more than it
// saves (it grows with the cube of their number): the rectangle around them
// all is copied, which is always right.
constexpr int kMostRectangles = 32;

qint64 pixelsOf(const QRect &rect)
{
    return qint64(rect.width()) * qint64(rect.height());
}

// rects with first and second merged into the rectangle around them, and
// without the others that rectangle holds.
std::vector<QRect> merged(const std::vector<QRect> &rects, size_t first, size_t second)
{
    const QRect around = rects[first] | rects[second];
    std::vector<QRect> result{around};
    for (size_t i = 0; i < rects.size(); ++i) {
        if (i != first && i != second && !around.contains(rects[i]))
            result.push_back(rects[i]);
    }
    return result;
}

} // namespace

std::vector<QRect> copyAreas(const QRegion &region, qint64 fixedCostPixels)
{
    if (region.rectCount() > kMostRectangles)
        return {region.boundingRect()};
    std::vector<QRect> rects(region.begin(), region.end());
    for (;;) {
        // The pair whose merge saves the most.
        qint64 bestSaving = 0;
        size_t first = 0, second = 0;
        for (size_t a = 0; a < rects.size(); ++a) {
            for (size_t b = a + 1; b < rects.size(); ++b) {
                const qint64 apart = pixelsOf(rects[a]) + pixelsOf(rects[b]) + fixedCostPixels;
                const qint64 saving = apart - pixelsOf(rects[a] | rects[b]);
                if (saving > bestSaving) {
                    bestSaving = saving;
                    first = a;
                    second = b;
                }
            }
        }
        if (bestSaving == 0)
            return rects;
        rects = merged(rects, first, second);
    }
}
