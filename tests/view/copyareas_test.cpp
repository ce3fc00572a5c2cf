#include "copyareas.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// A frame's zone outlines, their numbers, the sweep's bands and the markers.
const QRegion kFrame = QRegion(300, 200, 400, 300) | QRect(720, 220, 300, 260) |
                       QRect(430, 560, 40, 30) | QRect(980, 180, 30, 30) |
                       QRect(500, 250, 90, 380) | QRect(420, 620, 350, 60);

TEST(CopyAreas, CopiesEveryDrawnPixelInAsFewRectanglesAsPay)
{
    const QRegion farApart = QRegion(0, 0, 10, 10) | QRect(900, 900, 10, 10);
    QRegion scattered; // more rectangles than are worth searching through
    for (int i = 0; i < 100; ++i)
        scattered |= QRect((i % 10) * 100, (i / 10) * 100, 4, 4);
    const struct {
        QRegion drawn;
        qint64 fixedCost;
        int copies;
    } cases[] = {{QRegion(), 65536, 0},  {farApart, 65536, 2},
                 {farApart, 1000000, 1}, {QRegion(0, 0, 100, 10) | QRect(0, 10, 10, 90), 65536, 1},
                 {kFrame, 65536, 2},     {kFrame, 0, kFrame.rectCount()},
                 {scattered, 65536, 1}};
    const auto costOf = [](const QRect &r, qint64 fixedCost) {
        return qint64(r.width()) * r.height() + fixedCost;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const std::vector<QRect> copies = copyAreas(c.drawn, c.fixedCost);
        EXPECT_EQ(int(copies.size()), c.copies);
        QRegion uncopied = c.drawn;
        qint64 cost = 0, ownCost = 0; // never dearer than the region's own rectangles
        for (const QRect &r : copies) {
            uncopied -= r;
            cost += costOf(r, c.fixedCost);
        }
        for (const QRect &r : c.drawn)
            ownCost += costOf(r, c.fixedCost);
        EXPECT_TRUE(uncopied.isEmpty());
        EXPECT_LE(cost, ownCost);
    }
}

} // namespace
