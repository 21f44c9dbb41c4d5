// Every surface function, handed points and rectangles beyond a small surface, writes
// only inside it.
#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr std::uint32_t kC = 0x7F7F7F;

void DrawEverything(const DDSURFACEDESC2& desc, const CRect& rect, const CPoint& point) {
    CRect drawn;
    const std::vector<std::int16_t> upper(1000, 0);
    const std::vector<std::int16_t> lower(1000, 100);
    const std::vector<std::uint16_t> pairs(1400, 0x5555);
    SetPixel(desc, point.x, point.y, kC);
    SetTransPixel(desc, point.x, point.y, kC);
    for (const int full : {0, 1}) {
        DrawMainGrid(desc, rect, full, kC);
        DrawDelayedGridDown(desc, rect, full, kC);
        DrawBModeGridUp(desc, rect, full, kC);
        DrawDelayedGridUp(desc, rect, {point.x, point.y, rect.right, rect.bottom}, full, kC, kC);
    }
    DrawGridFrame(desc, rect, 15, kC);
    DrawDelayedSplitLine(desc, rect);
    FillRectShadow(desc, rect, kC, false);
    FillRectShadow(desc, rect, kC, true);
    FillPFGrid(desc, rect, upper, lower, kC);
    DrawTrigLevelLine(desc, rect, point, kC);
    DrawHorizManualCursor(desc, rect, point, kC, drawn);
    DrawVerticalManualCursor(desc, rect, point, kC, drawn);
    DrawTracklCursor(desc, rect, point, kC, drawn, true);
    for (int k = 0; k < 4; ++k) {
        DrawGnd(desc, rect, k, point, drawn, kC, false);
    }
    DrawTrigOffsetMark(desc, rect, point, drawn, kC);
    DrawXYChanMark(desc, rect, point, drawn, 0);
    DrawHorizRefCenterMark(desc, point, rect, kC);
    DrawSingleWave(desc, pairs, 0, point.y, kC, 40, 0, 699);
}

} // namespace

TEST(Clipping, NothingIsWrittenOutsideTheSurface) {
    const std::vector<CRect> rects{{-50, -50, 90, 80}, {-700, -400, 0, 0}, {10, 10, 700, 400},
                                   {30, 20, 60, 50},   {-5, 5, 45, 25},    {0, 0, 40, 30},
                                   {39, 29, 41, 31},   {5, 5, 3, 3}};
    const std::vector<CPoint> points{{-20, -20}, {0, 0},    {39, 29}, {40, 30},  {100, 15},
                                     {20, -300}, {20, 300}, {-4, 12}, {725, 420}};
    for (const CRect& rect : rects) {
        for (const CPoint& point : points) {
            GuardedSurface s(40, 30);
            DrawEverything(s.desc, rect, point);
            EXPECT_TRUE(s.GuardIntact()) << rect.left << "," << rect.top << "," << rect.right << ","
                                         << rect.bottom << " at " << point.x << "," << point.y;
        }
    }
}

TEST(Clipping, ExtremeCoordinatesDrawNothingAndDoNotOverflow) {
    const std::vector<CRect> rects{{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                                   {INT_MAX - 1, 0, INT_MAX, 10},
                                   {0, INT_MIN, 10, INT_MIN + 5}};
    const std::vector<CPoint> points{{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {0, INT_MAX}};
    for (const CRect& rect : rects) {
        for (const CPoint& point : points) {
            GuardedSurface s(40, 30);
            DrawEverything(s.desc, rect, point);
            EXPECT_TRUE(s.GuardIntact());
        }
    }
}

TEST(Clipping, ShapesStraddlingTheEdgeKeepTheirInsidePart) {
    GuardedSurface s(40, 30);
    FillRectShadow(s.desc, {-10, -10, 5, 5}, kC, false);
    EXPECT_EQ(s.Count(kC), 25);
    GuardedSurface grid(40, 30);
    // The last division column and row of this grid fall on column 0 and row 0.
    DrawMainGrid(grid.desc, {-650, -350, 50, 50}, 1, kC);
    EXPECT_EQ(grid.CountColumn(0, kC), 15);
    EXPECT_EQ(grid.CountRow(0, kC), 20);
    EXPECT_EQ(grid.Count(kC), 15 + 20 - 1);
    EXPECT_TRUE(grid.GuardIntact());
}
