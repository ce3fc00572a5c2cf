#include "copyareas.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

QRegion regionOf(const std::vector<QRect> &rects)
{
    QRegion region;
    for (const QRect &r : rects)
        region |= r;
    return region;
}

qint64 costOf(const std::vector<QRect> &copies, qint64 fixedCost)
{
    qint64 cost = 0;
    for (const QRect &r : copies)
        cost += qint64(r.width()) * r.height() + fixedCost;
    return cost;
}

// A frame's zone outlines, their numbers, the sweep's bands and the markers.
const QRegion kFrame = regionOf({{300, 200, 400, 300},
                                 {720, 220, 300, 260},
                                 {430, 560, 40, 30},
                                 {980, 180, 30, 30},
                                 {500, 250, 90, 380},
                                 {420, 620, 350, 60}});

TEST(CopyAreas, CopiesEveryDrawnPixelInAsFewRectanglesAsPay)
{
    const QRegion farApart = regionOf({{0, 0, 10, 10}, {900, 900, 10, 10}});
    QRegion scattered; // more rectangles than are worth searching through
    for (int i = 0; i < 100; ++i)
        scattered |= QRect((i % 10) * 100, (i / 10) * 100, 4, 4);
    const struct {
        QRegion drawn;
        qint64 fixedCost;
        int copies;
    } cases[] = {{QRegion(), 65536, 0},  {farApart, 65536, 2},
                 {farApart, 1000000, 1}, {regionOf({{0, 0, 100, 10}, {0, 10, 10, 90}}), 65536, 1},
                 {kFrame, 65536, 2},     {kFrame, 0, kFrame.rectCount()},
                 {scattered, 65536, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const std::vector<QRect> copies = copyAreas(c.drawn, c.fixedCost);
        EXPECT_EQ(int(copies.size()), c.copies);
        EXPECT_TRUE((c.drawn - regionOf(copies)).isEmpty());
        const std::vector<QRect> own(c.drawn.begin(), c.drawn.end());
        EXPECT_LE(costOf(copies, c.fixedCost), costOf(own, c.fixedCost));
    }
}

} // namespace
