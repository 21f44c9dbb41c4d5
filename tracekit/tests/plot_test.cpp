// Live plots (vectors, dots, X-Y) and the colour table with its intensity index.
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using tracekit::kColumns;
using tracekit::test::IndexTable;
using tracekit::test::ShadeOf;
using tracekit::test::TestSurface;

constexpr std::uint32_t kTrace = 0x00FFFF00;

std::vector<int> Range(int from, int to) {
    std::vector<int> rows;
    for (int r = from; r <= to; ++r) {
        rows.push_back(r);
    }
    return rows;
}

TEST(PlotVect, JoinsColumnsAndDrawsEachColumnBetweenItsValues) {
    std::vector<std::int16_t> pairs(2 * kColumns, 0);
    const std::vector<std::int16_t> first{100, 110, 120, 115, 115, 115, -20, 600};
    std::copy(first.begin(), first.end(), pairs.begin() + 20); // columns 10..13
    TestSurface surface;
    PlotVect(pairs.data(), surface.Pixels(), kTrace, surface.Pitch(), 10, 13);
    EXPECT_EQ(surface.DrawnRows(10), Range(100, 110));
    EXPECT_EQ(surface.DrawnRows(11), Range(110, 120)); // join 110..119, then 115..120
    EXPECT_EQ(surface.DrawnRows(12), (std::vector<int>{115}));
    EXPECT_EQ(surface.DrawnRows(13), Range(0, 509)); // clamped to the surface
    EXPECT_EQ(surface.At(105, 10), kTrace);
    EXPECT_TRUE(surface.DrawnRows(9).empty());
    EXPECT_TRUE(surface.DrawnRows(14).empty());
    EXPECT_EQ(surface.StrayPixels(), 0);
}

TEST(PlotVect, SpansOutsideSevenHundredColumnsDrawNothing) {
    const std::vector<std::int16_t> pairs(2 * kColumns + 4, 200);
    TestSurface surface;
    PlotVect(pairs.data(), surface.Pixels(), kTrace, surface.Pitch(), 0, 700);
    PlotVect(pairs.data(), surface.Pixels(), kTrace, surface.Pitch(), -1, 10);
    PlotVect(pairs.data(), surface.Pixels(), kTrace, surface.Pitch(), 20, 19);
    PlotVect(pairs.data(), surface.Pixels(), kTrace, 2796, 0, 699); // narrower than 700 pixels
    PlotVect(pairs.data(), surface.Pixels(), kTrace, 2802, 0, 699); // not whole pixels
    EXPECT_EQ(surface.DrawnPixels(), 0);
    PlotVect(pairs.data(), surface.Pixels(), kTrace, surface.Pitch(), 0, 699);
    EXPECT_EQ(surface.DrawnPixels(), 700);
}

TEST(OxPlotDot, SetsBothValuesOfEveryColumnBeforeTheEnd) {
    std::vector<std::int16_t> pairs(2 * kColumns, 300);
    pairs[0] = 100;
    pairs[1] = 200;
    pairs[2] = -3;
    pairs[3] = 510; // one row past the surface: clamped to its last row
    TestSurface surface;
    const std::uint32_t color = kTrace;
    OxPlotDot(pairs.data(), surface.Pixels(), &color, surface.Pitch(), 0, 0, 0, 3);
    EXPECT_EQ(surface.DrawnRows(0), (std::vector<int>{100, 200}));
    EXPECT_EQ(surface.DrawnRows(1), (std::vector<int>{0, 509}));
    EXPECT_EQ(surface.DrawnRows(2), (std::vector<int>{300}));
    EXPECT_TRUE(surface.DrawnRows(3).empty());
    EXPECT_EQ(surface.StrayPixels(), 0);
}

TEST(OxPlotDot, SpansOutsideSevenHundredColumnsDrawNothing) {
    const std::vector<std::int16_t> pairs(2 * kColumns + 2, 300);
    TestSurface surface;
    const std::uint32_t color = kTrace;
    OxPlotDot(pairs.data(), surface.Pixels(), &color, surface.Pitch(), 0, 0, 0, 701);
    OxPlotDot(pairs.data(), surface.Pixels(), &color, surface.Pitch(), 0, 0, 5, 4);
    OxPlotDot(pairs.data(), surface.Pixels(), nullptr, surface.Pitch(), 0, 0, 0, 10);
    EXPECT_EQ(surface.DrawnPixels(), 0);
}

TEST(PlotXY, MapsPointsAndTheirMidpointsLeavingTheLastPoint) {
    const std::vector<std::int16_t> x{350, 340, 330, 320};
    const std::vector<std::int16_t> y{200, 210, 220, 230};
    TestSurface surface;
    PlotXY(x.data(), y.data(), 4, surface.Pixels(), surface.Pitch(), 700, 400, kTrace);
    EXPECT_TRUE(surface.Drawn(200, 250)); // point 0
    EXPECT_TRUE(surface.Drawn(205, 255)); // midway to point 1
    EXPECT_TRUE(surface.Drawn(210, 260));
    EXPECT_TRUE(surface.Drawn(215, 265));
    EXPECT_TRUE(surface.Drawn(220, 270));
    EXPECT_EQ(surface.DrawnPixels(), 5); // point 3 is not drawn
}

TEST(PlotXY, ClampsColumnsToTheGraticuleAndRowsToTheSurface) {
    const std::vector<std::int16_t> x{-1000, 1000};
    const std::vector<std::int16_t> y{1000, -1000};
    TestSurface surface;
    PlotXY(x.data(), y.data(), 3, surface.Pixels(), surface.Pitch(), 700, 400, kTrace);
    EXPECT_TRUE(surface.Drawn(509, 650));
    EXPECT_TRUE(surface.Drawn(0, 50));
    EXPECT_TRUE(surface.Drawn(254, 350)); // the midpoint
    EXPECT_EQ(surface.StrayPixels(), 0);

    TestSurface untouched;
    PlotXY(x.data(), y.data(), 3, untouched.Pixels(), untouched.Pitch(), 701, 400, kTrace);
    PlotXY(x.data(), y.data(), 0, untouched.Pixels(), untouched.Pitch(), 700, 400, kTrace);
    EXPECT_EQ(untouched.DrawnPixels(), 0);
}

// The intensity index shows in the plain strokes of a stopped record.
int IntensityIndexSeenByPlotStop() {
    const auto table = IndexTable();
    const std::int16_t row = 200;
    std::vector<std::int16_t> scratch(tracekit::kStopScratchValues);
    const tracekit::TraceWindow window{0, 0, 5, 5, 0, 699, 0, 0};
    TestSurface surface;
    PlotStop(&row, surface.Pixels(), scratch.data(), table.data(), surface.Pitch(), &window, 1);
    return ShadeOf(surface.At(200, 5));
}

TEST(SetColorTable, RampsFromTheChosenIntensityToFullBrightness) {
    std::vector<std::uint32_t> table(128);
    SetColorTable(table.data(), 0x00FF8040, 0.5f);
    EXPECT_EQ(table[0], 0x007F4020u);
    EXPECT_EQ(table[1], 0x00814120u); // x = 0.5078125
    EXPECT_EQ(table[64], 0x00FF8040u);
    EXPECT_EQ(table[127], 0x00FF8040u);
    EXPECT_EQ(IntensityIndexSeenByPlotStop(), 64);
}

TEST(SetColorTable, ClampsTheIntensityToTenthToOne) {
    std::vector<std::uint32_t> table(128);
    SetColorTable(table.data(), 0x00FFFFFF, 0.05f);
    EXPECT_EQ(table[0], 0x00191919u); // 255 * 0.1
    EXPECT_EQ(IntensityIndexSeenByPlotStop(), 12);
    SetColorTable(table.data(), 0x00FFFFFF, 2.0f);
    EXPECT_EQ(table, std::vector<std::uint32_t>(128, 0x00FFFFFF));
    EXPECT_EQ(IntensityIndexSeenByPlotStop(), 127);
}

} // namespace
