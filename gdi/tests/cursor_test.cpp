#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kC = 0x00FF00;
const CRect kPlot{0, 0, 100, 50};

// The dot-dash pattern (on x4, off, on, off) at index i.
bool DotDash(int i) {
    const int phase = i % 7;
    return phase != 4 && phase != 6;
}

} // namespace

TEST(HorizManualCursor, DashedLineWithInwardTriangles) {
    GuardedSurface s(100, 50);
    CRect drawn;
    DrawHorizManualCursor(s.desc, kPlot, {30, 20}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{1, 18, 99, 22}));
    // Away from the triangles the pattern runs from column 1.
    for (int x = 8; x <= 90; ++x) {
        EXPECT_EQ(s.At(x, 20) == kC, DotDash(x - 1)) << x;
    }
    EXPECT_EQ(s.At(0, 20), 0u);
    EXPECT_EQ(s.At(99, 20), 0u);
    // Triangles: 5 deep, 5 rows at the base narrowing to the tip.
    EXPECT_EQ(s.CountColumn(1, kC), 5);
    EXPECT_EQ(s.CountColumn(2, kC), 5);
    EXPECT_EQ(s.CountColumn(3, kC), 3);
    EXPECT_EQ(s.CountColumn(5, kC), 1);
    EXPECT_EQ(s.CountColumn(98, kC), 5);
    EXPECT_EQ(s.CountColumn(94, kC), 1);
    EXPECT_EQ(s.CountRow(17, kC) + s.CountRow(23, kC), 0);
}

TEST(HorizManualCursor, ClampsIntoTheRectAndKeepsItsTrianglesInside) {
    GuardedSurface s(100, 50);
    CRect drawn;
    DrawHorizManualCursor(s.desc, kPlot, {30, -10}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{1, 1, 99, 3}));
    EXPECT_EQ(s.CountRow(0, kC), 0);
    EXPECT_EQ(s.CountColumn(1, kC), 3);
    DrawHorizManualCursor(s.desc, kPlot, {30, 400}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{1, 47, 99, 49}));
    EXPECT_GT(s.CountRow(49, kC), 0);
}

TEST(VerticalManualCursor, DashedFromTheBottomUp) {
    GuardedSurface s(100, 50);
    CRect drawn;
    DrawVerticalManualCursor(s.desc, kPlot, {40, 7}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{38, 1, 42, 49}));
    // Rows bottom-1 (49) up to top+1, the pattern counted from the bottom.
    for (int y = 6; y <= 44; ++y) {
        EXPECT_EQ(s.At(40, y) == kC, DotDash(49 - y)) << y;
    }
    EXPECT_EQ(s.CountRow(1, kC), 5);
    EXPECT_EQ(s.CountRow(49, kC), 5);
    EXPECT_EQ(s.CountRow(5, kC), 1);
    EXPECT_EQ(s.CountRow(45, kC), 1);
    EXPECT_EQ(s.CountRow(0, kC), 0);

    DrawVerticalManualCursor(s.desc, kPlot, {200, 7}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{97, 1, 99, 49}));
    EXPECT_EQ(s.CountColumn(99, kC), s.CountColumn(40, kC));
    DrawVerticalManualCursor(s.desc, kPlot, {-5, 7}, kC, drawn);
    EXPECT_EQ(drawn, (CRect{1, 1, 3, 49}));
    EXPECT_EQ(s.CountColumn(0, kC), 0);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(TrackCursor, VerticalLineAloneOrWithCrossAndBox) {
    GuardedSurface plain(100, 50);
    CRect drawn;
    DrawTracklCursor(plain.desc, kPlot, {40, 20}, kC, drawn, false);
    EXPECT_EQ(drawn, (CRect{38, 1, 42, 49}));
    EXPECT_EQ(plain.Drawn(), plain.CountColumn(40, kC));
    EXPECT_EQ(plain.CountColumn(40, kC), 35); // rows 1..49: 7 periods of 5 dots

    GuardedSurface cross(100, 50);
    DrawTracklCursor(cross.desc, kPlot, {40, 20}, kC, drawn, true);
    EXPECT_EQ(drawn, (CRect{38, 1, 42, 49}));
    for (const int offset : {-4, 0, 4}) {
        for (int i = -4; i <= 4; ++i) {
            EXPECT_EQ(cross.At(40 + i, 20 + offset), kC);
            EXPECT_EQ(cross.At(40 + offset, 20 + i), kC);
        }
    }
    EXPECT_EQ(cross.At(35, 16), 0u);
    EXPECT_EQ(cross.At(45, 24), 0u);
    EXPECT_GT(cross.CountRow(20, kC), 60); // the horizontal dot-dash line

    // Clamped into the rect; the box stays inside it.
    GuardedSurface corner(100, 50);
    DrawTracklCursor(corner.desc, kPlot, {500, -50}, kC, drawn, true);
    EXPECT_EQ(drawn, (CRect{97, 1, 99, 49}));
    EXPECT_EQ(corner.CountRow(0, kC), 0);
    EXPECT_EQ(corner.At(99, 5), kC);
    EXPECT_TRUE(corner.GuardIntact());
}

TEST(Cursors, RectTooSmallDrawsNothing) {
    GuardedSurface s(10, 10);
    CRect drawn{1, 2, 3, 4};
    DrawHorizManualCursor(s.desc, {0, 0, 1, 10}, {0, 5}, kC, drawn);
    EXPECT_EQ(drawn, CRect{});
    DrawTracklCursor(s.desc, {0, 0, 10, 1}, {5, 0}, kC, drawn, true);
    EXPECT_EQ(drawn, CRect{});
    EXPECT_EQ(s.Drawn(), 0);
}
