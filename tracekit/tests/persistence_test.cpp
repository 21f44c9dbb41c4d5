// Persistence: the strokes a frame adds, exact removal of the oldest frame, and the checks.
#include "../src/persistence_plan.h"
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

namespace {

using tracekit::kColumns;
using tracekit::TraceWindow;
using tracekit::test::IndexTable;
using tracekit::test::ShadeOf;
using tracekit::test::TestSurface;

constexpr int kStride = 3072;
constexpr int kFrames = tracekit::kHistoryFrames;
constexpr int kDots = 1;
constexpr int kVectors = tracekit::kStyleVectors;

class PlotDXOTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::uint32_t> ramp(128);
        SetColorTable(ramp.data(), 0x00FFFFFF, 1.0f); // intensity index 127
    }
    std::int16_t* Frame(int slot) { return history.data() + slot * kStride; }
    void SetColumn(int slot, int col, int enter, int leave) {
        Frame(slot)[2 * col] = static_cast<std::int16_t>(enter);
        Frame(slot)[2 * col + 1] = static_cast<std::int16_t>(leave);
    }
    void FillRandom(int slot, std::mt19937& random) {
        int row = 250;
        for (int col = 0; col < kColumns; ++col) {
            // Mostly a wandering trace, now and then a jump.
            row = random() % 25 == 0
                      ? static_cast<int>(random() % 510)
                      : std::clamp(row + static_cast<int>(random() % 31) - 15, 0, 509);
            SetColumn(slot, col, row,
                      std::clamp(row + static_cast<int>(random() % 21) - 10, -5, 515));
        }
    }
    void Plot(std::vector<std::uint32_t>& cells, int frame, int fill, int style = kVectors,
              const TraceWindow& w = {0, 1399, 0, 699, 0, 699, 0, 0}) {
        PlotDXO(history.data(), surface.Pixels(), table.data(), surface.Pitch(), cells.data(), 0,
                frame, fill, kStride, &w, style);
    }
    std::uint32_t Cell(const std::vector<std::uint32_t>& cells, int row, int col) {
        return cells[row * kColumns + col];
    }

    std::vector<std::int16_t> history = std::vector<std::int16_t>(kFrames * kStride, 300);
    std::vector<std::uint32_t> grade = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
    std::vector<std::uint32_t> table = IndexTable();
    TestSurface surface;
};

TEST_F(PlotDXOTest, StrokeIsBrightestAtItsMiddle) {
    SetColumn(0, 0, 104, 100);
    const TraceWindow window{0, 1, 0, 0, 0, 0, 0, 0};
    Plot(grade, 0, 1, kVectors, window);
    // Middle 102; r(2) = 10923 takes 42 and 85 off 128 one and two rows out.
    EXPECT_EQ(Cell(grade, 102, 0), 128u);
    EXPECT_EQ(Cell(grade, 101, 0), 86u);
    EXPECT_EQ(Cell(grade, 103, 0), 86u);
    EXPECT_EQ(Cell(grade, 100, 0), 43u);
    EXPECT_EQ(Cell(grade, 104, 0), 43u);
    EXPECT_EQ(surface.DrawnRows(0), (std::vector<int>{100, 101, 102, 103, 104}));
    EXPECT_EQ(ShadeOf(surface.At(102, 0)), 127); // cell 128 over divisor 1: the top shade
    EXPECT_EQ(ShadeOf(surface.At(101, 0)), 86);
}

TEST_F(PlotDXOTest, DivisorIsTheFillCounter) {
    SetColumn(0, 0, 104, 100);
    const TraceWindow window{0, 1, 0, 0, 0, 0, 0, 0};
    Plot(grade, 0, 4, kVectors, window);
    EXPECT_EQ(ShadeOf(surface.At(102, 0)), 32); // 128 / 4
    EXPECT_EQ(ShadeOf(surface.At(100, 0)), 10); // 43 / 4
}

TEST_F(PlotDXOTest, StrokesClearOfThePreviousOneAreStretchedToMeetIt) {
    SetColumn(0, 0, 100, 104); // middle 102
    SetColumn(0, 1, 110, 114); // middle 112: 10 rows on, no overlap
    Plot(grade, 0, 1, kVectors, {0, 3, 0, 1, 0, 1, 0, 0});
    for (int row = 105; row <= 114; ++row) {
        EXPECT_EQ(Cell(grade, row, 1), 127u / 5) << "row " << row;
    }
    EXPECT_EQ(Cell(grade, 104, 1), 0u);
}

TEST_F(PlotDXOTest, JumpsAreDrawnAsTheFaintestRun) {
    SetColumn(0, 0, 100, 100);
    SetColumn(0, 1, 200, 200);
    Plot(grade, 0, 1, kVectors, {0, 3, 0, 1, 0, 1, 0, 0});
    EXPECT_EQ(Cell(grade, 100, 1), 0u);
    for (int row = 101; row <= 200; ++row) {
        EXPECT_EQ(Cell(grade, row, 1), 1u) << "row " << row;
    }
    EXPECT_EQ(surface.DrawnRows(1).size(), 100u);
}

TEST_F(PlotDXOTest, RemovingAFrameTakesOutExactlyWhatAddingPutIn) {
    std::mt19937 random(11);
    FillRandom(5, random);
    FillRandom(4, random);
    Plot(grade, 5, 1);  // frame 5 added
    Plot(grade, 4, 17); // oldest slot (4 + 1) % 17 = 5 removed, slot 4 added

    std::vector<std::uint32_t> alone(grade.size(), 0);
    Plot(alone, 4, 1);
    EXPECT_EQ(grade, alone);

    // The same frame removed again from a buffer that holds only it leaves nothing behind.
    std::vector<std::uint32_t> once(grade.size(), 0);
    Plot(once, 4, 1);
    std::copy(Frame(4), Frame(4) + kStride, Frame(5));
    Plot(once, 4, 17); // removes slot 5 (a copy of frame 4), adds frame 4 again
    EXPECT_EQ(once, alone);
}

TEST_F(PlotDXOTest, RunningHistoryEqualsTheSumOfTheLastSixteenFrames) {
    std::mt19937 random(5);
    int frame = -1;
    int fill = 0;
    for (int n = 0; n < 40; ++n) {
        frame = (frame + 1) % kFrames;
        fill = std::min(fill + 1, kFrames);
        FillRandom(frame, random);
        Plot(grade, frame, fill);
    }
    std::vector<std::uint32_t> expected(grade.size(), 0);
    for (int back = 0; back < 16; ++back) {
        Plot(expected, (frame + kFrames - back) % kFrames, 1);
    }
    EXPECT_EQ(grade, expected);
    EXPECT_EQ(surface.StrayPixels(), 0);
}

// Once the history is full, columns are walked four at a time: the cells and the picture are
// those of the oldest frame's strokes taken out and the newest's put in, cell by cell, for
// windows of any width and position.
TEST_F(PlotDXOTest, FullHistoryFramesMatchACellByCellWalk) {
    std::mt19937 random(41);
    constexpr std::int32_t kIntensityIndex = 127; // what SetUp's colour table sets
    const auto walk = [&](const std::int16_t* pairs, int first, int last, bool remove,
                          std::vector<std::uint32_t>& cells, TestSurface& picture) {
        tracekit::detail::ColumnRuns runs{};
        tracekit::detail::PlanColumnsScalar(pairs, first, last, kIntensityIndex, runs);
        for (int col = first; col <= last; ++col) {
            for (int row = runs.from[col]; row <= runs.to[col]; ++row) {
                const auto amount = static_cast<std::uint32_t>(
                    runs.base[col] - ((runs.slope[col] * std::abs(row - runs.mid[col])) >> 8));
                std::uint32_t& cell = cells[row * kColumns + col];
                cell = !remove ? cell + amount : cell > amount ? cell - amount : 0;
                picture.Pixels()[row * (picture.Pitch() / 4) + col] =
                    table[std::min<std::uint32_t>(cell / 16, tracekit::kColorTableSize - 1)];
            }
        }
    };
    for (int n = 0; n < 40; ++n) {
        const int frame = n % kFrames;
        FillRandom(frame, random);
        const int first = n < 20 ? 0 : static_cast<int>(random() % kColumns);
        const int last =
            n < 20 ? kColumns - 1 : first + static_cast<int>(random() % (kColumns - first));
        const TraceWindow window{0, 1399, 0, 699, first, last, 0, 0};
        if (n + 1 < kFrames) {
            Plot(grade, frame, n + 1, kVectors, window);
            continue;
        }
        std::vector<std::uint32_t> cells = grade;
        TestSurface picture = surface;
        walk(Frame((frame + 1) % kFrames), first, last, true, cells, picture);
        walk(Frame(frame), first, last, false, cells, picture);
        Plot(grade, frame, kFrames, kVectors, window);
        ASSERT_EQ(grade, cells) << "frame " << n << ", columns " << first << ".." << last;
        ASSERT_TRUE(surface == picture) << "frame " << n << ", columns " << first << ".." << last;
    }
}

TEST_F(PlotDXOTest, FullHistoryShadesBySixteenths) {
    SetColumn(3, 0, 200, 200);
    const TraceWindow window{0, 1, 0, 0, 0, 0, 0, 0};
    grade[200 * kColumns] = 2064 - 128;
    Plot(grade, 3, 17, kVectors, window);
    EXPECT_EQ(ShadeOf(surface.At(200, 0)), 127); // 2064 >> 4 = 129, capped at the top shade
    grade[200 * kColumns] = 100;
    Plot(grade, 3, 17, kVectors, window);
    EXPECT_EQ(ShadeOf(surface.At(200, 0)), 14); // 228 >> 4
}

TEST_F(PlotDXOTest, DotsAddEightToBothValues) {
    SetColumn(2, 7, 100, 120);
    Plot(grade, 2, 17, kDots, {0, 1399, 0, 699, 7, 7, 0, 0});
    EXPECT_EQ(Cell(grade, 100, 7), 8u);
    EXPECT_EQ(Cell(grade, 120, 7), 8u);
    EXPECT_EQ(surface.DrawnRows(7), (std::vector<int>{100, 120}));
    EXPECT_EQ(ShadeOf(surface.At(100, 7)), 16);
}

TEST_F(PlotDXOTest, BadCountersOrSpansDrawNothing) {
    std::mt19937 random(1);
    FillRandom(0, random);
    const TraceWindow full{0, 1399, 0, 699, 0, 699, 0, 0};
    Plot(grade, 0, 0); // nothing held yet
    Plot(grade, 0, 18);
    Plot(grade, 17, 5);
    Plot(grade, -1, 5);
    Plot(grade, 0, 5, kVectors, {0, 1399, 0, 699, 0, 700, 0, 0});
    Plot(grade, 0, 5, kVectors, {0, 1399, 0, 699, 10, 9, 0, 0});
    PlotDXO(history.data(), surface.Pixels(), table.data(), surface.Pitch(), grade.data(), 0, 0, 5,
            1399, &full, kVectors); // frames overlapping
    EXPECT_EQ(surface.DrawnPixels(), 0);
    EXPECT_TRUE(std::all_of(grade.begin(), grade.end(), [](auto c) { return c == 0; }));
}

} // namespace

TEST_F(PlotDXOTest, PictureShowsTheAveragedSumOfEveryCellTouched) {
    std::mt19937 random(17);
    for (int n = 0; n < 40; ++n) {
        FillRandom(n % kFrames, random);
        Plot(grade, n % kFrames, std::min(n + 1, kFrames));
    }
    for (int row = 0; row < tracekit::kSurfaceRows; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            const std::uint32_t cell = Cell(grade, row, col);
            if (surface.Drawn(row, col)) {
                ASSERT_EQ(ShadeOf(surface.At(row, col)), std::min<int>(cell / 16, 127))
                    << "row " << row << " column " << col;
            } else {
                ASSERT_EQ(cell, 0u) << "row " << row << " column " << col;
            }
        }
    }
}

TEST_F(PlotDXOTest, NarrowWindowChangesOnlyItsColumns) {
    std::mt19937 random(23);
    for (int slot = 0; slot < kFrames; ++slot) {
        FillRandom(slot, random);
    }
    for (const auto& [first, last] : {std::pair{300, 305}, std::pair{0, 2}, std::pair{697, 699}}) {
        std::fill(grade.begin(), grade.end(), 0u);
        surface = TestSurface();
        Plot(grade, 3, 5, kVectors, {0, 1399, 0, 699, first, last, 0, 0});
        Plot(grade, 4, 17, kVectors, {0, 1399, 0, 699, first, last, 0, 0});
        for (int col = 0; col < kColumns; ++col) {
            const bool inside = col >= first && col <= last;
            EXPECT_EQ(!surface.DrawnRows(col).empty(), inside) << "column " << col;
        }
        EXPECT_EQ(surface.StrayPixels(), 0);
    }
}

TEST(PersistencePlan, VectorPathMatchesTheScalarPath) {
    std::mt19937 random(31);
    std::vector<std::int16_t> pairs(2 * kColumns);
    for (int trial = 0; trial < 200; ++trial) {
        int row = static_cast<int>(random() % 510);
        for (auto& value : pairs) {
            // A wandering trace with jumps, now and then past the surface's rows.
            row = random() % 12 == 0 ? static_cast<int>(random() % 600) - 45
                                     : row + static_cast<int>(random() % 15) - 7;
            value = static_cast<std::int16_t>(row);
        }
        const int first = trial % 3 == 0 ? 0 : static_cast<int>(random() % kColumns);
        const int last = first + static_cast<int>(random() % (kColumns - first));
        const auto gapWeight = static_cast<std::int32_t>(random() % 128);
        tracekit::detail::ColumnRuns scalar{};
        tracekit::detail::ColumnRuns vector{};
        tracekit::detail::PlanColumnsScalar(pairs.data(), first, last, gapWeight, scalar);
        tracekit::detail::PlanColumns(pairs.data(), first, last, gapWeight, vector);
        for (int col = first; col <= last; ++col) {
            ASSERT_EQ(vector.from[col], scalar.from[col]) << "column " << col;
            ASSERT_EQ(vector.to[col], scalar.to[col]) << "column " << col;
            ASSERT_EQ(vector.mid[col], scalar.mid[col]) << "column " << col;
            ASSERT_EQ(vector.slope[col], scalar.slope[col]) << "column " << col;
            ASSERT_EQ(vector.base[col], scalar.base[col]) << "column " << col;
        }
    }
}
