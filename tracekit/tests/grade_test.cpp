// Colour grade: counting samples into cells, the seven levels, clearing.
#include "../src/grade_shading.h"
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
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

using ShadeRow = void (*)(const std::uint32_t*, std::uint32_t*, int,
                          const tracekit::detail::GradeThresholds&);

// Every vector shading this processor runs, and the one chosen for it.
std::vector<std::pair<std::string, ShadeRow>> ShadingPaths() {
    std::vector<std::pair<std::string, ShadeRow>> paths{
        {"128-bit", tracekit::detail::ShadeGradeRowBaseline},
        {"chosen", tracekit::detail::ShadeGradeRow}};
    if (__builtin_cpu_supports("avx2")) {
        paths.emplace_back("256-bit", tracekit::detail::ShadeGradeRowWide);
    }
    return paths;
}

TEST(GradeShading, VectorPathsMatchTheScalarPath) {
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
        tracekit::detail::ShadeGradeRowScalar(cells.data(), scalar.data(), kColumns, thresholds);
        for (const auto& [name, shade] : ShadingPaths()) {
            // The whole row, and rows ending inside a vector and just past one.
            for (const int count : {kColumns, 3, 4, 9, 15, 17}) {
                std::vector<std::uint32_t> vector(kColumns, 5);
                shade(cells.data(), vector.data(), count, thresholds);
                std::vector<std::uint32_t> expected(kColumns, 5);
                std::copy(scalar.begin(), scalar.begin() + count, expected.begin());
                EXPECT_EQ(vector, expected) << name << ", maximum " << maximum << ", " << count;
            }
        }
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

// The incremental copy against the full one: one grade counted and copied through
// GradeChanges, a second one counted and copied in full, each onto its own surface.
class IncrementalGradeTest : public ::testing::Test {
protected:
    void Count(const std::vector<std::int16_t>& rows, int first, int last, int c0, int c1) {
        PlotGrade(rows.data(), tracked.data(), first, last, c0, c1, &trackedMaximum, *changes);
        PlotGrade(rows.data(), full.data(), first, last, c0, c1, &fullMaximum);
    }
    void Copy() {
        CopyGrade(tracked.data(), trackedSurface.Pixels(), trackedSurface.Pitch(), trackedMaximum,
                  *changes);
        CopyGrade(full.data(), fullSurface.Pixels(), fullSurface.Pitch(), fullMaximum);
    }
    // A trace wandering around `centre`, now and then jumping, two samples a column.
    std::vector<std::int16_t> Wander(int centre, std::mt19937& random) {
        std::vector<std::int16_t> rows(2 * kColumns);
        int row = centre;
        for (auto& r : rows) {
            row = random() % 40 == 0 ? static_cast<int>(random() % 560) - 25
                                     : std::clamp(row + static_cast<int>(random() % 7) - 3,
                                                  centre - 30, centre + 30);
            r = static_cast<std::int16_t>(row);
        }
        return rows;
    }
    bool SamePicture() const { return trackedSurface == fullSurface; }

    std::vector<std::uint32_t> tracked = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
    std::vector<std::uint32_t> full = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
    std::unique_ptr<tracekit::GradeChanges> changes = std::make_unique<tracekit::GradeChanges>();
    std::uint32_t trackedMaximum = 0;
    std::uint32_t fullMaximum = 0;
    TestSurface trackedSurface;
    TestSurface fullSurface;
};

TEST_F(IncrementalGradeTest, ManyWaveformsPaintWhatFullCopiesPaint) {
    std::mt19937 random(21);
    for (int n = 0; n < 300; ++n) {
        const auto rows = Wander(150 + (n / 20) * 15, random);
        switch (n % 5) {
        case 0: // the live frame
        case 1:
            Count(rows, 0, 1399, 0, 699);
            break;
        case 2: // compressed into part of the screen
            Count(rows, 0, 1399, 200 + n % 50, 499);
            break;
        case 3: // a few samples spread out: a small maximum, the thresholds fall
            Count(rows, 100, 100 + n % 9, 10 * (n % 30), 10 * (n % 30) + 300);
            break;
        default: // nothing counted: a maximum of 0 puts every cell on the top level
            Count(rows, 5, 4, 0, 699);
        }
        Copy();
        ASSERT_EQ(tracked, full) << "waveform " << n;
        ASSERT_EQ(trackedMaximum, fullMaximum) << "waveform " << n;
        ASSERT_TRUE(SamePicture()) << "waveform " << n;
    }
    EXPECT_EQ(trackedSurface.StrayPixels(), 0);
}

TEST_F(IncrementalGradeTest, WaveformOnAFewColumnsRepaintsOnlyTheirChunks) {
    const std::vector<std::int16_t> level(1400, 100);
    Count(level, 0, 1399, 0, 699); // every cell of row 100 at 2, maximum 2
    Copy();
    constexpr std::uint32_t kMark = 0x123456;
    for (int col = 0; col < kColumns; ++col) {
        trackedSurface.Pixels()[100 * trackedSurface.Pitch() / 4 + col] = kMark;
    }
    Count(level, 0, 5, 300, 305); // cells of columns 300..305 at 3; the thresholds stay
    Copy();
    for (int col = 0; col < kColumns; ++col) {
        const bool chunkCounted = col / tracekit::kGradeChunkCells == 300 / 16 ||
                                  col / tracekit::kGradeChunkCells == 305 / 16;
        EXPECT_EQ(trackedSurface.At(100, col) == kMark, !chunkCounted) << "column " << col;
    }
    EXPECT_EQ(trackedSurface.At(100, 302), fullSurface.At(100, 302));
}

TEST_F(IncrementalGradeTest, MovedMaximumRepaintsCellsNotCounted) {
    const std::vector<std::int16_t> low(1400, 100);
    const std::vector<std::int16_t> high(1400, 200);
    Count(low, 0, 1399, 0, 699); // row 100 at 2
    Copy();
    for (int n = 0; n < 20; ++n) {
        Count(high, 0, 13, 690, 696); // column 690..696 of row 200 only, up to a maximum of 40
        Copy();
        ASSERT_TRUE(SamePicture()) << "waveform " << n;
    }
    EXPECT_EQ(trackedSurface.At(100, 0), 0xFF00FFu); // 2 of 40: from the top level to the third
}

TEST_F(IncrementalGradeTest, CopyAfterTheSurfaceWasErasedIsComplete) {
    const std::vector<std::int16_t> quiet(1400, 200);
    const std::vector<std::int16_t> busy(1400, 100);
    Count(quiet, 0, 1399, 0, 699);
    Copy();
    for (int n = 0; n < 64; ++n) {
        Count(busy, 0, 1399, 0, 699); // row 100 up to 128
        Copy();
    }
    trackedSurface = TestSurface(); // the surface is erased; the grade keeps its history
    fullSurface = TestSurface();
    changes->MarkAll();
    Count(busy, 0, 0, 0, 0); // one cell to 129: the thresholds stay those of 128
    Copy();
    EXPECT_TRUE(SamePicture());
    EXPECT_EQ(trackedSurface.At(200, 350), 0x00FF00u); // the quiet row's history is back
}

TEST_F(IncrementalGradeTest, BufferChangedElsewhereIsFoundAfresh) {
    const std::vector<std::int16_t> level(1400, 100);
    Count(level, 0, 1399, 0, 699);
    Copy();
    ClrGrade(tracked.data());
    ClrGrade(full.data());
    tracked[300 * kColumns + 50] = full[300 * kColumns + 50] = 3; // a cell no count noted
    changes->Forget();
    for (int n = 0; n < 3; ++n) {
        Count(level, 0, 13, 0, 6); // maximum 2, 4, 6: at 6 the cell of 3 drops a level
        Copy();
        EXPECT_TRUE(SamePicture()) << "waveform " << n;
    }
}

TEST_F(IncrementalGradeTest, RefusedCopyKeepsWhatIsStillToPaint) {
    const std::vector<std::int16_t> level(1400, 100);
    Count(level, 0, 1399, 0, 699);
    CopyGrade(tracked.data(), trackedSurface.Pixels(), 2796, trackedMaximum, *changes);
    CopyGrade(nullptr, trackedSurface.Pixels(), trackedSurface.Pitch(), trackedMaximum, *changes);
    EXPECT_EQ(trackedSurface.DrawnPixels(), 0);
    Copy();
    EXPECT_TRUE(SamePicture());
}

TEST(IncrementalGrade, TwoGradesOnOneSurfaceRepaintWhatTheOtherDrewOver) {
    std::vector<std::uint32_t> grade[2];
    std::vector<std::uint32_t> fullGrade[2];
    std::vector<tracekit::GradeChanges> changes(2);
    TestSurface incremental;
    TestSurface reference;
    std::mt19937 random(8);
    for (int n = 0; n < 2; ++n) {
        grade[n] = fullGrade[n] = std::vector<std::uint32_t>(tracekit::kGradeCells, 0);
    }
    for (int frame = 0; frame < 60; ++frame) {
        for (int n = 0; n < 2; ++n) { // the traces cross, and each covers the other in turn
            std::vector<std::int16_t> rows(1400);
            for (int i = 0; i < 1400; ++i) {
                const int base = n == 0 ? 100 + i / 7 : 300 - i / 7;
                rows[i] = static_cast<std::int16_t>(base + static_cast<int>(random() % 5) +
                                                    (frame % 7 == n ? 40 : 0));
            }
            std::uint32_t maximum = 0;
            PlotGrade(rows.data(), grade[n].data(), 0, 1399, 0, 699, &maximum, changes[n]);
            CopyGrade(grade[n].data(), incremental.Pixels(), incremental.Pitch(), maximum,
                      changes[n]);
            changes[1 - n].MarkDrawnBy(changes[n]);
            PlotGrade(rows.data(), fullGrade[n].data(), 0, 1399, 0, 699, &maximum);
            CopyGrade(fullGrade[n].data(), reference.Pixels(), reference.Pitch(), maximum);
        }
        ASSERT_TRUE(incremental == reference) << "frame " << frame;
    }
}

TEST(GradeShading, ChunksAboveVectorPathMatchesTheScalarPath) {
    std::mt19937 random(12);
    std::uint32_t highest[tracekit::kGradeRowChunks];
    for (const std::uint32_t floor : {0u, 1u, 77u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu}) {
        for (auto& h : highest) {
            const std::uint32_t r = static_cast<std::uint32_t>(random());
            h = r % 3 == 0 ? floor + r % 3 - 1 : r;
        }
        EXPECT_EQ(tracekit::detail::ChunksAbove(highest, floor),
                  tracekit::detail::ChunksAboveScalar(highest, floor))
            << "floor " << floor;
    }
}
