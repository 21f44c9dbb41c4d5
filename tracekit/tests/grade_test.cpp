// Colour grade: counting samples into cells, the seven levels, clearing.
#include "../src/grade_shading.h"
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using tracekit::kColumns;
using tracekit::test::TestSurface;

class GradeTest : public ::testing::Test {
protected:
    std::uint32_t& Cell(int row, int col) { return grade[row * kColumns + col]; }
    std::uint32_t Count(const std::vector<std::int16_t>& rows, int first, int last, int c0,
                        int c1) {
        std::uint32_t maximum = 99;
        PlotGrade(rows.data(), grade.data(), first, last, c0, c1, &maximum);
        return maximum;
    }
    std::vector<std::uint32_t> grade = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
};

TEST_F(GradeTest, LiveFrameCountsTwoSamplesPerColumn) {
    std::vector<std::int16_t> rows(1400, 100);
    rows[0] = 300;
    EXPECT_EQ(Count(rows, 0, 1399, 0, 699), 2u);
    EXPECT_EQ(Cell(300, 0), 1u);
    EXPECT_EQ(Cell(100, 0), 1u);
    EXPECT_EQ(Cell(100, 699), 2u);
    EXPECT_EQ(Count(rows, 0, 1399, 0, 699), 4u); // cells accumulate across frames
}

TEST_F(GradeTest, UnevenWindowsSpreadTheSamples) {
    const std::vector<std::int16_t> rows(1000, 50);
    EXPECT_EQ(Count(rows, 0, 999, 0, 699), 2u);
    std::uint32_t total = 0;
    for (int col = 0; col < kColumns; ++col) {
        EXPECT_TRUE(Cell(50, col) == 1 || Cell(50, col) == 2) << "column " << col;
        total += Cell(50, col);
    }
    EXPECT_EQ(total, 1000u);
}

TEST_F(GradeTest, FewSamplesLeaveColumnsBetweenThem) {
    const std::vector<std::int16_t> rows{-20, 600, 10}; // rows clamped to the buffer
    EXPECT_EQ(Count(rows, 0, 2, 10, 15), 1u);
    EXPECT_EQ(Cell(0, 10), 1u);
    EXPECT_EQ(Cell(509, 12), 1u);
    EXPECT_EQ(Cell(10, 14), 1u);
    EXPECT_EQ(std::count(grade.begin(), grade.end(), 1u), 3);
}

TEST_F(GradeTest, WindowsOutsideTheBufferCountNothing) {
    const std::vector<std::int16_t> rows(1500, 100);
    EXPECT_EQ(Count(rows, 0, 1399, 0, 700), 0u);
    EXPECT_EQ(Count(rows, 0, 1399, -1, 698), 0u);
    EXPECT_EQ(Count(rows, -1, 1399, 0, 699), 0u);
    EXPECT_EQ(Count(rows, 5, 4, 0, 699), 0u);
    EXPECT_TRUE(std::all_of(grade.begin(), grade.end(), [](auto c) { return c == 0; }));
}

TEST_F(GradeTest, CopyGradePaintsSevenLevelsOfTheMaximum) {
    const std::uint32_t cells[] = {1, 2, 3, 5, 9, 17, 33, 64, 0};
    const std::uint32_t colors[] = {0x00FF00, 0xFF0000, 0xFF00FF, 0x0000FF,
                                    0x4080FF, 0x00FFFF, 0xFFFFFF, 0xFFFFFF};
    for (int i = 0; i < 9; ++i) {
        Cell(200, 10 + i) = cells[i];
    }
    TestSurface surface;
    CopyGrade(grade.data(), surface.Pixels(), surface.Pitch(), 64);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(surface.At(200, 10 + i), colors[i]) << "cell " << cells[i];
    }
    EXPECT_FALSE(surface.Drawn(200, 18)); // zero cells untouched
    EXPECT_EQ(surface.DrawnPixels(), 8);
}

TEST_F(GradeTest, CellsAboveTheMaximumTakeTheTopLevel) {
    Cell(0, 0) = 1000;
    TestSurface surface;
    CopyGrade(grade.data(), surface.Pixels(), surface.Pitch(), 0);
    EXPECT_EQ(surface.At(0, 0), 0xFFFFFFu);
}

TEST(GradeShading, VectorPathMatchesTheScalarPath) {
    std::mt19937 random(9);
    for (const std::uint32_t maximum :
         {0u, 1u, 64u, 1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        std::vector<std::uint32_t> cells(kColumns);
        for (auto& c : cells) {
            const std::uint32_t r = static_cast<std::uint32_t>(random());
            c = r % 4 == 0 ? 0 : (r % 3 == 0 ? r : r % (maximum / 4 + 3));
        }
        const tracekit::detail::GradeThresholds thresholds(maximum);
        std::vector<std::uint32_t> scalar(kColumns, 5);
        std::vector<std::uint32_t> vector(kColumns, 5);
        tracekit::detail::ShadeGradeRowScalar(cells.data(), scalar.data(), kColumns, thresholds);
        tracekit::detail::ShadeGradeRow(cells.data(), vector.data(), kColumns, thresholds);
        EXPECT_EQ(vector, scalar) << "maximum " << maximum;
    }
}

TEST_F(GradeTest, ClrGradeZeroesTheWholeBuffer) {
    std::fill(grade.begin(), grade.end(), 7u);
    EXPECT_EQ(ClrGrade(grade.data()), 0);
    EXPECT_TRUE(std::all_of(grade.begin(), grade.end(), [](auto c) { return c == 0; }));
    EXPECT_EQ(ClrGrade(nullptr), -1);
}

TEST_F(GradeTest, GradeOfOneFrameStaysOnTheSurface) {
    std::vector<std::int16_t> rows(1400);
    for (int i = 0; i < 1400; ++i) {
        rows[i] = static_cast<std::int16_t>(i % 700 - 100);
    }
    std::uint32_t maximum = 0;
    PlotGrade(rows.data(), grade.data(), 0, 1399, 0, 699, &maximum);
    TestSurface surface;
    CopyGrade(grade.data(), surface.Pixels(), surface.Pitch(), maximum);
    EXPECT_EQ(surface.StrayPixels(), 0);
    EXPECT_GT(surface.DrawnPixels(), 0);
}

} // namespace
