// The stopped-record plot: sparse strokes, dense density shades, and its window checks.
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using tracekit::TraceWindow;
using tracekit::test::IndexTable;
using tracekit::test::ShadeOf;
using tracekit::test::TestSurface;

constexpr int kDots = 1;
constexpr int kVectors = tracekit::kStyleVectors;
constexpr int kTop = 127; // shade 128 is drawn with entry 127

class PlotStopTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::uint32_t> ramp(128);
        SetColorTable(ramp.data(), 0x00FFFFFF, 0.25f); // intensity index 32
    }
    void Plot(const std::vector<std::int16_t>& rows, const TraceWindow& window, int style) {
        PlotStop(rows.data(), surface.Pixels(), scratch.data(), table.data(), surface.Pitch(),
                 &window, style);
    }

    std::vector<std::uint32_t> table = IndexTable();
    std::vector<std::int16_t> scratch = std::vector<std::int16_t>(tracekit::kStopScratchValues, -5);
    TestSurface surface;
};

TEST_F(PlotStopTest, SparseDotsSpreadTheSamplesOverTheWindow) {
    std::vector<std::int16_t> rows(400);
    for (int i = 0; i < 400; ++i) {
        rows[i] = static_cast<std::int16_t>(100 + i % 300);
    }
    Plot(rows, {50, 399, 0, 699, 0, 699, 0, 0}, kDots); // 350 samples
    EXPECT_EQ(surface.DrawnPixels(), 349); // the last sample lands one column past the window
    EXPECT_TRUE(surface.Drawn(150, 0));
    EXPECT_TRUE(surface.Drawn(151, 2));
    EXPECT_TRUE(surface.Drawn(152, 4));
    EXPECT_EQ(ShadeOf(surface.At(150, 0)), 32);
    EXPECT_EQ(surface.StrayPixels(), 0);
}

TEST_F(PlotStopTest, OneSampleWindowDrawsOneDot) {
    Plot({321}, {0, 0, 10, 20, 0, 699, 0, 0}, kDots);
    EXPECT_EQ(surface.DrawnPixels(), 1);
    EXPECT_TRUE(surface.Drawn(321, 10));
}

TEST_F(PlotStopTest, SparseVectorsResampleIntoTheScratchBufferAndDrawVectors) {
    std::vector<std::int16_t> rows(1400);
    for (int i = 0; i < 1400; ++i) {
        rows[i] = static_cast<std::int16_t>(250 + (i % 40) - 20);
    }
    Plot(rows, {0, 1399, 0, 699, 0, 699, 0, 0}, kVectors);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), scratch.begin()));
    EXPECT_TRUE(std::all_of(scratch.begin() + 1400, scratch.end(), [](auto v) { return v == 0; }));

    TestSurface expected;
    PlotVect(rows.data(), expected.Pixels(), table[32], expected.Pitch(), 0, 699);
    for (int col = 0; col < tracekit::kColumns; ++col) {
        ASSERT_EQ(surface.DrawnRows(col), expected.DrawnRows(col)) << "column " << col;
    }
    EXPECT_EQ(ShadeOf(surface.At(230, 0)), 32);
}

TEST_F(PlotStopTest, RecordEndingInsideTheScreenIsNotReadPastItsEnd) {
    // 100 samples on columns 0..400 (drawn 0..400): the record ends before the screen does.
    std::vector<std::int16_t> rows(100);
    for (int i = 0; i < 100; ++i) {
        rows[i] = static_cast<std::int16_t>(200 + i);
    }
    Plot(rows, {0, 99, 0, 400, 0, 400, 0, 0}, kVectors);
    EXPECT_TRUE(surface.Drawn(200, 0));
    EXPECT_FALSE(surface.DrawnRows(400).empty());
    EXPECT_TRUE(surface.DrawnRows(401).empty());
}

TEST_F(PlotStopTest, DenseDotsShadeEachRowByItsShareOfTheColumn) {
    std::vector<std::int16_t> rows(7000); // 10 samples a column
    for (int i = 0; i < 7000; ++i) {
        const int col = i / 10;
        rows[i] = static_cast<std::int16_t>(col % 2 == 0 ? (i % 2 == 0 ? 100 : 200) : 150);
    }
    rows[15] = 600; // one sample of column 1 beyond the surface: counted on its last row
    Plot(rows, {0, 6999, 0, 699, 0, 699, 0, 0}, kDots);
    EXPECT_EQ(surface.DrawnRows(0), (std::vector<int>{100, 200}));
    EXPECT_EQ(ShadeOf(surface.At(100, 0)), 64); // 5 of 10
    EXPECT_EQ(surface.DrawnRows(1), (std::vector<int>{150, 509}));
    EXPECT_EQ(ShadeOf(surface.At(150, 1)), 115);  // 9 of 10
    EXPECT_EQ(ShadeOf(surface.At(150, 3)), kTop); // 10 of 10
    EXPECT_EQ(surface.StrayPixels(), 0);
}

TEST_F(PlotStopTest, DenseVectorsJoinColumnsAndRowsThroughTheirMidpoints) {
    // Two columns of four samples (q = 4).
    const std::vector<std::int16_t> rows{100, 100, 104, 104, 110, 110, 110, 112};
    Plot(rows, {0, 7, 0, 1, 0, 699, 0, 0}, kVectors);
    // Column 0: top row full, the rest from the rows' counts (2 of 4: shade 64); the join to
    // column 1 (104 to 110, midpoint 107) continues in shade 64.
    EXPECT_EQ(surface.DrawnRows(0), (std::vector<int>{100, 101, 102, 103, 104, 105, 106, 107}));
    EXPECT_EQ(ShadeOf(surface.At(100, 0)), kTop);
    for (int r = 101; r <= 107; ++r) {
        EXPECT_EQ(ShadeOf(surface.At(r, 0)), 64) << "row " << r;
    }
    // Column 1: join 108..110 in shade 96 (3 of 4), row 110 full, 111 toward 110's count,
    // 112 from its own single sample.
    EXPECT_EQ(surface.DrawnRows(1), (std::vector<int>{108, 109, 110, 111, 112}));
    EXPECT_EQ(ShadeOf(surface.At(108, 1)), 96);
    EXPECT_EQ(ShadeOf(surface.At(109, 1)), 96);
    EXPECT_EQ(ShadeOf(surface.At(110, 1)), kTop);
    EXPECT_EQ(ShadeOf(surface.At(111, 1)), 96);
    EXPECT_EQ(ShadeOf(surface.At(112, 1)), 32);
    EXPECT_EQ(surface.DrawnPixels(), 13);
}

TEST_F(PlotStopTest, DenseColumnRowsLieOnTopOfTheJoinsOnBothSides) {
    const std::vector<std::int16_t> rows{100, 100, 100, 100, 110, 110,
                                         120, 120, 100, 100, 100, 100};
    Plot(rows, {0, 11, 0, 2, 0, 699, 0, 0}, kVectors);
    // Column 1 is joined from 100 (rows 106..110) and toward 100 (rows 110..120), both in shade
    // 64; its own top row 110 is drawn last, at full brightness.
    EXPECT_EQ(surface.DrawnRows(1).front(), 106);
    EXPECT_EQ(surface.DrawnRows(1).back(), 120);
    EXPECT_EQ(ShadeOf(surface.At(110, 1)), kTop);
    EXPECT_EQ(ShadeOf(surface.At(109, 1)), 64);
    EXPECT_EQ(ShadeOf(surface.At(111, 1)), 64);
    EXPECT_EQ(surface.DrawnRows(2).front(), 100);
    EXPECT_EQ(surface.DrawnRows(2).back(), 109);
    EXPECT_EQ(ShadeOf(surface.At(105, 2)), kTop);
}

TEST_F(PlotStopTest, OnlyTheDrawnColumnsArePainted) {
    const std::vector<std::int16_t> rows{100, 100, 104, 104, 110, 110, 110, 112};
    Plot(rows, {0, 7, 0, 1, 1, 1, 0, 0}, kVectors);
    EXPECT_TRUE(surface.DrawnRows(0).empty());
    EXPECT_EQ(surface.DrawnRows(1).size(), 5u);
}

TEST_F(PlotStopTest, MillionSampleRecordStaysOnTheSurface) {
    std::mt19937 random(3);
    std::vector<std::int16_t> rows(1 << 20);
    for (auto& r : rows) {
        r = static_cast<std::int16_t>(static_cast<int>(random() % 700) - 100);
    }
    const TraceWindow window{0, (1 << 20) - 1, 0, 699, 0, 699, 0, 0};
    for (const int style : {kVectors, kDots}) {
        TestSurface fresh;
        PlotStop(rows.data(), fresh.Pixels(), scratch.data(), table.data(), fresh.Pitch(), &window,
                 style);
        EXPECT_EQ(fresh.StrayPixels(), 0);
        // Vectors join every non-empty row, dots leave the rows no sample fell on.
        EXPECT_EQ(fresh.DrawnRows(350).size() == 510u, style == kVectors);
        EXPECT_GT(fresh.DrawnRows(350).size(), 400u);
    }
}

TEST_F(PlotStopTest, WindowsOutsideTheScreenDrawNothingButStillClearTheScratch) {
    const std::vector<std::int16_t> rows(2000, 200);
    for (const TraceWindow& window :
         {TraceWindow{0, 1399, 0, 699, 0, 700, 0, 0}, TraceWindow{0, 1399, 0, 699, -1, 699, 0, 0},
          TraceWindow{0, 1399, 0, 699, 0, -1, 0, 0}, TraceWindow{0, 1399, 0, 700, 0, 699, 0, 0},
          TraceWindow{-1, 1399, 0, 699, 0, 699, 0, 0},
          TraceWindow{100, 99, 0, 699, 0, 699, 0, 0}}) {
        for (const int style : {kVectors, kDots}) {
            std::fill(scratch.begin(), scratch.end(), std::int16_t{-5});
            Plot(rows, window, style);
            EXPECT_EQ(surface.DrawnPixels(), 0);
            EXPECT_TRUE(std::all_of(scratch.begin(), scratch.end(), [](auto v) { return v == 0; }));
        }
    }
}

} // namespace
