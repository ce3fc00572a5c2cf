#include "copyareas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

qint64 pixels(const std::vector<QRect> &rects)
{
    qint64 sum = 0;
    for (const QRect &r : rects)
        sum += qint64(r.width()) * r.height();
    return sum;
}

QRegion regionOf(const std::vector<QRect> &rects)
{
    QRegion region;
    for (const QRect &r : rects)
        region |= r;
    return region;
}

struct Case {
    std::string name;
    std::vector<QRect> drawn;
    qint64 fixedCost;
    size_t copies; // rectangles to copy
};

// The restore of a frame with zone outlines, their numbers, the sweep's
// bands and the markers: a region of many small rectangles.
const std::vector<QRect> kFrameParts = {
    {300, 200, 400, 300}, {720, 220, 300, 260}, {430, 560, 40, 30},  {980, 180, 30, 30},
    {500, 250, 90, 380},  {420, 620, 350, 60},  {600, 300, 200, 200}};

// Many markers' areas scattered over the window, as many zones would leave.
std::vector<QRect> scattered()
{
    std::vector<QRect> rects;
    for (int i = 0; i < 100; ++i)
        rects.push_back({(i % 10) * 100, (i / 10) * 100, 4, 4});
    return rects;
}

TEST(CopyAreas, CopiesEveryDrawnPixelInAsFewRectanglesAsPay)
{
    const std::vector<Case> cases = {
        {"nothing drawn", {}, 65536, 0},
        {"one rectangle", {{10, 10, 50, 20}}, 65536, 1},
        {"two far apart, copies free", {{0, 0, 10, 10}, {900, 900, 10, 10}}, 0, 2},
        {"two far apart, the gap dearer than a copy",
         {{0, 0, 10, 10}, {900, 900, 10, 10}},
         65536,
         2},
        {"two far apart, a copy dearer than the gap",
         {{0, 0, 10, 10}, {900, 900, 10, 10}},
         1000000,
         1},
        {"an L, its corner cheaper than a copy", {{0, 0, 100, 10}, {0, 10, 10, 90}}, 65536, 1},
        {"a frame's parts under a software renderer", kFrameParts, 65536, 2},
        {"a frame's parts where copies are free", kFrameParts, 0, size_t(-1)},
        {"a hundred scattered rectangles", scattered(), 65536, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QRegion drawn = regionOf(c.drawn);
        const std::vector<QRect> copies = copyAreas(drawn, c.fixedCost);
        EXPECT_TRUE((drawn - regionOf(copies)).isEmpty());
        EXPECT_TRUE((regionOf(copies) - drawn).isEmpty() || c.fixedCost > 0);
        const size_t expected = c.copies == size_t(-1) ? size_t(drawn.rectCount()) : c.copies;
        EXPECT_EQ(copies.size(), expected);
        // Never dearer than copying the region's own rectangles.
        const std::vector<QRect> own(drawn.begin(), drawn.end());
        EXPECT_LE(pixels(copies) + qint64(copies.size()) * c.fixedCost,
                  pixels(own) + qint64(own.size()) * c.fixedCost);
    }
}

} // namespace
