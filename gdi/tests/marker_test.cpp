#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t kC = 0xFF0000;
constexpr std::uint32_t kBackground = 0x202020;
constexpr std::uint32_t kClear = 0x000001;

// The marker glyphs as published: rows top first, bit 15 = leftmost pixel.
const std::vector<std::vector<std::uint16_t>> kGlyphs = {
    {0xFFC0, 0xFBE0, 0xF3F0, 0xFBF8, 0xFBFC, 0xFBF8, 0xFBF0, 0xF1E0, 0xFFC0},
    {0xFF80, 0xFF80, 0xFF80, 0xFF80, 0xBD80, 0x8080, 0xBF80, 0xFF80, 0xFF80, 0xFF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFF80, 0xFF80, 0xFF80, 0xFE80, 0x8080, 0xDE80, 0xFF80, 0xFF80,
     0xFF80, 0xFF80},
    {0xFFC0, 0xF3E0, 0xEDF0, 0xFDF8, 0xFBFC, 0xF7F8, 0xEFF0, 0xE1E0, 0xFFC0},
    {0xFF80, 0xFF80, 0xFF80, 0x9D80, 0xAE80, 0xB680, 0xB980, 0xFF80, 0xFF80, 0xFF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFF80, 0xFF80, 0xFF80, 0xCE80, 0xB680, 0xBA80, 0xDC80, 0xFF80,
     0xFF80, 0xFF80},
    {0xFFC0, 0xBB60, 0x9270, 0x9378, 0xAB7C, 0xAB78, 0xAA30, 0xFFE0, 0xFFC0},
    {0xFF80, 0xC080, 0xF980, 0xC780, 0xF980, 0xC080, 0xFF80, 0xDD80, 0xC080, 0xDF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFD80, 0x8180, 0xDD80, 0xFF80, 0x8180, 0xCF80, 0xF180, 0xCF80,
     0x8180, 0xFF80},
    {0xFFC0, 0xBB60, 0x92B0, 0x93B8, 0xAB7C, 0xAAF8, 0xAA30, 0xFFE0, 0xFFC0},
    {0xFF80, 0xC080, 0xF980, 0xC780, 0xF980, 0xC080, 0xFF80, 0xCD80, 0xD680, 0xD980, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xCD80, 0xB580, 0xD980, 0xFF80, 0x8180, 0xCF80, 0xF180, 0xCF80,
     0x8180, 0xFF80},
};

// Checks that glyph g sits at (x, y): set bits in the colour, clear bits as expected,
// and that nothing else of the surface was touched.
void ExpectGlyph(const GuardedSurface& s, int g, int x, int y, std::uint32_t clear) {
    const int width = g % 3 == 0 ? 14 : 9;
    const auto& rows = kGlyphs[static_cast<std::size_t>(g)];
    int changed = 0;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < width; ++c) {
            const bool on = (rows[static_cast<std::size_t>(r)] >> (15 - c)) & 1;
            EXPECT_EQ(s.At(x + c, y + r), on ? kC : clear)
                << "glyph " << g << " at " << c << "," << r;
            changed += s.At(x + c, y + r) != kBackground;
        }
    }
    EXPECT_EQ(s.Drawn(kBackground), changed);
}

} // namespace

TEST(GroundMarker, RightPointingGlyphLeftOfThePoint) {
    for (int k = 0; k < 4; ++k) {
        GuardedSurface s(16, 434, kBackground);
        CRect drawn;
        DrawGnd(s.desc, {0, 9, 16, 409}, k, {16, 200}, drawn, kC, false);
        EXPECT_EQ(drawn, (CRect{2, 196, 16, 204}));
        ExpectGlyph(s, 3 * k, 2, 196, kClear);
    }
}

TEST(GroundMarker, UpGlyphNearTheTopDownGlyphNearTheBottom) {
    const CRect rect{0, 9, 16, 409};
    for (int k = 0; k < 4; ++k) {
        GuardedSurface top(16, 434, kBackground);
        CRect drawn;
        DrawGnd(top.desc, rect, k, {16, rect.top + 3}, drawn, kC, false);
        EXPECT_EQ(drawn, (CRect{6, 9, 14, 23}));
        ExpectGlyph(top, 3 * k + 2, 6, 9, kClear);

        GuardedSurface bottom(16, 434, kBackground);
        DrawGnd(bottom.desc, rect, k, {16, rect.bottom - 3}, drawn, kC, false);
        EXPECT_EQ(drawn, (CRect{6, 395, 14, 408}));
        ExpectGlyph(bottom, 3 * k + 1, 6, 395, kClear);
    }
    GuardedSurface edge(16, 434, kBackground);
    CRect drawn;
    DrawGnd(edge.desc, rect, 0, {16, rect.top + 4}, drawn, kC, false);
    EXPECT_EQ(drawn, (CRect{2, 9, 16, 17}));
    DrawGnd(edge.desc, rect, 0, {16, rect.bottom - 4}, drawn, kC, false);
    EXPECT_EQ(drawn, (CRect{2, 401, 16, 409}));
}

TEST(GroundMarker, TransparentSkipsClearBits) {
    GuardedSurface s(16, 434, kBackground);
    CRect drawn;
    DrawGnd(s.desc, {0, 9, 16, 409}, 2, {16, 100}, drawn, kC, true);
    ExpectGlyph(s, 6, 2, 96, kBackground);
}

TEST(GroundMarker, UnknownMarkerDrawsNothing) {
    GuardedSurface s(16, 434, kBackground);
    for (const int k : {-1, 4}) {
        CRect drawn{1, 1, 2, 2};
        DrawGnd(s.desc, {0, 9, 16, 409}, k, {16, 100}, drawn, kC, false);
        EXPECT_EQ(drawn, CRect{});
    }
    EXPECT_EQ(s.Drawn(kBackground), 0);
}

namespace {

const CRect kPlot{16, 9, 716, 409}; // the plot area on the composition surface

int CountIn(const GuardedSurface& s, const CRect& r, std::uint32_t colour) {
    int n = 0;
    for (int y = r.top; y <= r.bottom; ++y) {
        for (int x = r.left; x <= r.right; ++x) {
            n += s.At(x, y) == colour;
        }
    }
    return n;
}

} // namespace

TEST(TrigOffsetMark, LeftArrowAtColumnSeventeen) {
    GuardedSurface s(727, 434, kBackground);
    CRect drawn;
    DrawTrigOffsetMark(s.desc, kPlot, {kPlot.left + 4, 9}, drawn, kC);
    EXPECT_EQ(drawn, (CRect{17, 14, 31, 22}));
    EXPECT_EQ(s.At(17, 18), kC); // the tip
    EXPECT_EQ(s.At(16, 18), kBackground);
    EXPECT_EQ(s.At(30, 14), kC);
    EXPECT_EQ(s.At(21, 14), kC); // the outer rows are 10 long
    EXPECT_EQ(s.At(20, 14), kBackground);
    // 9 rows of 14 - |n| pixels: 14 + 2 x (13 + 12 + 11 + 10) = 106, nine of them the black T.
    EXPECT_EQ(s.Drawn(kBackground), 106);
    EXPECT_EQ(s.Count(0x000000), 9);
    EXPECT_EQ(CountIn(s, {17, 14, 30, 22}, kC), 97);
}

TEST(TrigOffsetMark, RightArrowEndsAtTheLastPlotColumn) {
    GuardedSurface s(727, 434);
    CRect drawn;
    DrawTrigOffsetMark(s.desc, kPlot, {kPlot.right - 4, 9}, drawn, kC);
    EXPECT_EQ(drawn, (CRect{702, 14, 716, 22}));
    EXPECT_EQ(s.At(715, 18), kC);
    EXPECT_EQ(s.At(716, 18), 0u);
    EXPECT_EQ(s.At(711, 14), kC);
    EXPECT_EQ(s.At(712, 14), 0u);
    EXPECT_EQ(s.At(702, 22), kC);
}

TEST(TrigOffsetMark, DownArrowWithItsTipOnThePoint) {
    GuardedSurface s(727, 434);
    CRect drawn;
    DrawTrigOffsetMark(s.desc, kPlot, {kPlot.left + 5, 100}, drawn, kC);
    EXPECT_EQ(drawn, (CRect{17, 86, 25, 100}));
    DrawTrigOffsetMark(s.desc, kPlot, {300, 100}, drawn, kC);
    EXPECT_EQ(drawn, (CRect{296, 86, 304, 100}));
    EXPECT_EQ(s.At(300, 100), kC);
    EXPECT_EQ(s.At(300, 101), 0u);
    EXPECT_EQ(s.At(300, 86), 0u);
    EXPECT_EQ(s.CountColumn(296, kC), 10); // the outer columns are 10 long
    EXPECT_EQ(s.At(296, 87), kC);
    EXPECT_EQ(s.At(296, 97), 0u);
}

TEST(TrigOffsetMark, LetterIsWhiteOnABlackArrowElseBlack) {
    GuardedSurface black(727, 434, kBackground);
    CRect drawn;
    DrawTrigOffsetMark(black.desc, kPlot, {300, 100}, drawn, 0x000000);
    EXPECT_EQ(black.Count(0xFFFFFF), 9);
    // The T's bar is 5 wide across the arrow's body.
    EXPECT_EQ(black.CountRow(89, 0xFFFFFF), 5);

    GuardedSurface red(727, 434, kBackground);
    DrawTrigOffsetMark(red.desc, kPlot, {300, 100}, drawn, kC);
    EXPECT_EQ(red.Count(0x000000), 9);
    EXPECT_EQ(red.Count(kC) + 9, 106);
}

TEST(XYChanMark, SamePlacementsWithABlackLetter) {
    GuardedSurface s(727, 434, kBackground);
    CRect drawn;
    DrawXYChanMark(s.desc, kPlot, {kPlot.left + 4, 9}, drawn, 0x000000);
    EXPECT_EQ(drawn, (CRect{17, 14, 31, 22}));
    EXPECT_EQ(s.Count(0xFFFFFF), 0);
    EXPECT_EQ(s.Drawn(kBackground), 106);
    DrawXYChanMark(s.desc, kPlot, {400, 50}, drawn, kC);
    EXPECT_EQ(drawn, (CRect{396, 36, 404, 50}));
    EXPECT_GT(CountIn(s, {396, 36, 404, 50}, 0x000000), 0);
}

TEST(HorizRefCenterMark, FiveRowTriangleClampedToTheRect) {
    GuardedSurface s(120, 30);
    DrawHorizRefCenterMark(s.desc, {5, 10}, {20, 0, 100, 30}, kC);
    EXPECT_EQ(s.CountRow(10, kC), 9);
    EXPECT_EQ(s.CountRow(12, kC), 5);
    EXPECT_EQ(s.CountRow(14, kC), 1);
    EXPECT_EQ(s.At(20, 14), kC);
    EXPECT_EQ(s.Drawn(), 25);
    DrawHorizRefCenterMark(s.desc, {150, 10}, {20, 0, 100, 30}, kC);
    EXPECT_EQ(s.At(99, 14), kC);
}
