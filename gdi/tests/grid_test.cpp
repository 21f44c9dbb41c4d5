#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t kGrid = 0x404040;
constexpr std::uint32_t kGrey = 0x969696;

} // namespace

TEST(FullGrid, DivisionLinesEveryFiftyPixelsAndTicksEveryTen) {
    GuardedSurface s(700, 400);
    DrawMainGrid(s.desc, {0, 0, 700, 400}, 1, kGrid);
    // Frame on the left column and top row in grey.
    EXPECT_EQ(s.CountRow(0, kGrey), 700);
    EXPECT_EQ(s.CountColumn(0, kGrey), 400);
    EXPECT_EQ(s.CountRow(0, kGrid), 0);
    // Division rows: a dot every second column (column 0 belongs to the frame).
    for (int row = 50; row <= 350; row += 50) {
        EXPECT_EQ(s.CountRow(row, kGrid), 349) << row;
    }
    EXPECT_EQ(s.CountRow(1, kGrid), 0);
    EXPECT_EQ(s.CountRow(2, kGrid), 13);      // the 13 inner division columns
    EXPECT_EQ(s.CountRow(10, kGrid), 13 + 4); // plus a tick of 5 across the centre column
    EXPECT_EQ(s.CountRow(50 - 1, kGrid), 0);
    EXPECT_EQ(s.CountRow(199, kGrid), 56); // vertical ticks on the centre row: 70 - 14
    EXPECT_EQ(s.CountRow(198, kGrid), 56 + 13);
    EXPECT_EQ(s.CountRow(203, kGrid), 0);
    // Division columns: a dot every second row.
    for (int column = 50; column <= 650; column += 50) {
        EXPECT_EQ(s.CountColumn(column, kGrid), 199) << column;
    }
    EXPECT_EQ(s.CountColumn(10, kGrid), 7 + 4); // the 7 division rows plus a tick of 5
    EXPECT_EQ(s.CountColumn(11, kGrid), 0);
    EXPECT_EQ(s.CountColumn(349, kGrid), 32); // horizontal ticks on the centre column: 40 - 8
    EXPECT_EQ(s.CountColumn(353, kGrid), 0);
    EXPECT_EQ(s.CountColumn(699, kGrid), 0);
    EXPECT_EQ(s.CountRow(399, kGrid), 0);
}

TEST(FullGrid, PositionsAreTruncatedAndFollowTheRect) {
    GuardedSurface s(720, 430);
    // 699 / 14 = 49.93: the second division line is at column 10 + 49, the third at 10 + 99.
    DrawDelayedGridDown(s.desc, {10, 20, 709, 420}, 1, kGrid);
    EXPECT_EQ(s.CountColumn(10 + 49, kGrid), 199);
    EXPECT_EQ(s.CountColumn(10 + 50, kGrid), 7); // only the dots of the 7 division rows
    EXPECT_EQ(s.CountColumn(10 + 99, kGrid), 199);
    // A division row: dots on the even offsets plus the 13 division columns, all at odd offsets.
    EXPECT_EQ(s.CountRow(20 + 50, kGrid), 349 + 13);
    EXPECT_EQ(s.CountRow(20, kGrey), 699);
    EXPECT_EQ(s.CountColumn(10, kGrey), 400);
    EXPECT_EQ(s.CountRow(19, kGrid) + s.CountRow(19, kGrey), 0);
}

TEST(FrameOnlyGrid, EdgeTicksTwoLongAndLongerEveryFifth) {
    GuardedSurface s(700, 400);
    DrawMainGrid(s.desc, {0, 0, 700, 400}, 0, kGrid);
    EXPECT_EQ(s.CountRow(1, kGrid), 69); // 70 ticks from the top, column 0 is frame
    EXPECT_EQ(s.CountRow(2, kGrid), 13); // only every fifth is 4 long
    EXPECT_EQ(s.CountRow(3, kGrid), 13);
    EXPECT_EQ(s.CountRow(4, kGrid), 0);
    EXPECT_EQ(s.CountRow(399, kGrid), 69);
    EXPECT_EQ(s.CountRow(396, kGrid), 13);
    EXPECT_EQ(s.CountRow(395, kGrid), 0);
    EXPECT_EQ(s.CountRow(10, kGrid), 1 + 2); // 2 from each side, column 0 is frame
    EXPECT_EQ(s.CountRow(50, kGrid), 2 + 3); // 3 at every fifth
    EXPECT_EQ(s.CountRow(11, kGrid), 0);
    EXPECT_EQ(s.CountColumn(10, kGrid), 1 + 2);
    EXPECT_EQ(s.CountColumn(50, kGrid), 3 + 4);
    EXPECT_EQ(s.CountColumn(699, kGrid), 39); // right-edge ticks every 10 rows, row 0 is frame
    EXPECT_EQ(s.CountColumn(350, kGrid), 3 + 4);
    // Top: 56 minor ticks of 1 and 13 major of 3 below the frame row; bottom: 56 x 2 + 13 x 4;
    // left: 32 minor x 1 + 7 major x 2 beside the frame column; right: 32 x 2 + 7 x 3.
    EXPECT_EQ(s.Count(kGrid), (56 + 13 * 3) + (56 * 2 + 13 * 4) + (32 + 7 * 2) + (32 * 2 + 7 * 3));
}

TEST(GridFrame, EachEdgeFlagDrawsItsLine) {
    const CRect r{10, 10, 20, 15};
    GuardedSurface bottom(30, 30);
    DrawGridFrame(bottom.desc, r, kFrameBottom, 1);
    EXPECT_EQ(bottom.CountRow(15, 1), 10);
    EXPECT_EQ(bottom.At(20, 15), 0u);
    EXPECT_EQ(bottom.Count(1), 10);

    GuardedSurface right(30, 30);
    DrawGridFrame(right.desc, r, kFrameRight, 1);
    EXPECT_EQ(right.CountColumn(20, 1), 6); // rows top..bottom
    EXPECT_EQ(right.Count(1), 6);

    GuardedSurface left(30, 30);
    DrawGridFrame(left.desc, r, kFrameLeft | kFrameTop, 1);
    EXPECT_EQ(left.CountColumn(10, 1), 5); // rows top..bottom-1
    EXPECT_EQ(left.CountRow(10, 1), 10);
    EXPECT_EQ(left.Count(1), 14);

    GuardedSurface all(30, 30);
    DrawGridFrame(all.desc, r, 15, 1);
    EXPECT_EQ(all.Count(1), 30); // closed, corner (right, bottom) included
    EXPECT_EQ(all.At(20, 15), 1u);
}

TEST(SplitGrids, BModeFramesTheBottomToo) {
    GuardedSurface s(700, 400);
    DrawBModeGridUp(s.desc, {0, 0, 700, 200}, 0, kGrid);
    EXPECT_EQ(s.CountRow(200, kGrey), 700);
    EXPECT_EQ(s.CountRow(0, kGrey), 700);
    EXPECT_EQ(s.CountColumn(0, kGrey), 201);
    EXPECT_EQ(s.CountColumn(699, kGrey), 2);
}

TEST(SplitGrids, DelayedUpShadesBesideTheWindowAndFramesIt) {
    constexpr std::uint32_t kShadow = 0x3C3C3C;
    GuardedSurface s(700, 400);
    // Window given in composition coordinates: columns 216..316 are plot columns 200..300.
    DrawDelayedGridUp(s.desc, {0, 0, 700, 200}, {216, 9, 316, 208}, 1, kGrid, kShadow);
    EXPECT_EQ(s.At(101, 101), kShadow);
    EXPECT_EQ(s.At(199, 101), kShadow);
    EXPECT_EQ(s.At(251, 101), 0u);
    EXPECT_EQ(s.At(301, 101), kShadow);
    EXPECT_EQ(s.At(699, 199), kShadow);
    EXPECT_EQ(s.At(101, 200), kGrey); // bottom frame of the region
    EXPECT_EQ(s.At(101, 201), 0u);
    // The window frame on all four edges in the outer grey.
    EXPECT_EQ(s.CountColumn(200, kOuterFrameGrey), 200);
    EXPECT_EQ(s.CountColumn(300, kOuterFrameGrey), 200);
    EXPECT_EQ(s.CountColumn(250, kOuterFrameGrey), 2);
    EXPECT_EQ(s.CountRow(199, kOuterFrameGrey), 101);
    EXPECT_EQ(s.CountRow(0, kOuterFrameGrey), 101);
    EXPECT_EQ(s.CountRow(100, kOuterFrameGrey), 2);
    // Grid dots lie over the shadow.
    EXPECT_EQ(s.At(50, 2), kGrid);
}

TEST(SplitLine, IsAGreyBrighteningOutwardFromTheCentreUpToWhite) {
    GuardedSurface s(90, 5);
    DrawDelayedSplitLine(s.desc, {0, 1, 81, 4});
    for (int y = 1; y < 4; ++y) {
        EXPECT_EQ(s.At(40, y), 0x9B9B9Bu);
        EXPECT_EQ(s.At(39, y), 0xA0A0A0u);
        EXPECT_EQ(s.At(41, y), 0xA0A0A0u);
        EXPECT_EQ(s.At(30, y), 0xCDCDCDu);
        // Past 20 pixels the grey stays white: no level carries into the next colour.
        EXPECT_EQ(s.At(20, y), 0xFFFFFFu);
        EXPECT_EQ(s.At(0, y), 0xFFFFFFu);
        EXPECT_EQ(s.At(80, y), 0xFFFFFFu);
    }
    EXPECT_EQ(s.CountRow(0, 0), 90);
    EXPECT_EQ(s.CountRow(4, 0), 90);
    EXPECT_EQ(s.CountRow(2, 0), 9);
}

TEST(Shading, RectShadowOpaqueOrTranslucent) {
    GuardedSurface s(10, 10, 0x00F00F);
    FillRectShadow(s.desc, {1, 1, 4, 3}, 0x0F0F00, true);
    EXPECT_EQ(s.Count(0x0FFF0F), 6);
    FillRectShadow(s.desc, {5, 5, 7, 10}, 0x0F0F00, false);
    EXPECT_EQ(s.Count(0x0F0F00), 10);
    EXPECT_EQ(s.Count(0x00F00F), 100 - 16);
}

TEST(Shading, PassFailGridShadesOutsideTheBand) {
    GuardedSurface s(6, 14);
    const std::vector<std::int16_t> upper{5, 9, 3};
    const std::vector<std::int16_t> lower{2, 0, 3};
    // Rows are counted from the rect's top (2); columns past the arrays are left alone.
    FillPFGrid(s.desc, {0, 2, 5, 12}, upper, lower, 7);
    EXPECT_EQ(s.CountColumn(0, 7), 2 + 4); // rows 0,1 and 6..9 of the rect
    EXPECT_EQ(s.At(0, 2), 7u);
    EXPECT_EQ(s.At(0, 4), 0u);
    EXPECT_EQ(s.At(0, 8), 7u);
    EXPECT_EQ(s.CountColumn(1, 7), 0);
    EXPECT_EQ(s.CountColumn(2, 7), 9);
    EXPECT_EQ(s.At(2, 5), 0u);
    EXPECT_EQ(s.CountColumn(3, 7), 0);
    EXPECT_EQ(s.Count(7), 15);
}

TEST(TrigLevelLine, LongDashesInsideAndNothingOutsideTheRows) {
    GuardedSurface s(20, 12);
    const CRect r{0, 0, 20, 10};
    DrawTrigLevelLine(s.desc, r, {3, 5}, 9);
    // Columns 1..18, five on and two off from column 1.
    EXPECT_EQ(s.CountRow(5, 9), 5 + 5 + 4);
    EXPECT_EQ(s.At(5, 5), 9u);
    EXPECT_EQ(s.At(6, 5), 0u);
    EXPECT_EQ(s.At(7, 5), 0u);
    EXPECT_EQ(s.At(8, 5), 9u);
    EXPECT_EQ(s.At(0, 5), 0u);
    EXPECT_EQ(s.At(19, 5), 0u);
    DrawTrigLevelLine(s.desc, r, {3, 1}, 9);
    DrawTrigLevelLine(s.desc, r, {3, 9}, 9);
    EXPECT_EQ(s.Count(9), 3 * 14);
    // Levels of up to six divisions off screen: nothing at all.
    for (const int y : {0, 10, 11, -300, 700}) {
        DrawTrigLevelLine(s.desc, r, {3, y}, 4);
    }
    EXPECT_EQ(s.Count(4), 0);
    EXPECT_TRUE(s.GuardIntact());
}
