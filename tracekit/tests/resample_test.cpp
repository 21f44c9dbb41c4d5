// Horizontal resampling: straight copy, compression into ordered min/max pairs, expansion with
// 8.8 interpolation and the ramps outside the window.
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = tracekit::kColumns;

template <class T>
std::vector<T> Zoom(const std::vector<T>& samples, int first, int last, int c0, int c1,
                    int width = kWidth, T fill = T{77}) {
    std::vector<T> pairs(2 * kWidth, fill);
    WaveZoom(samples.data(), pairs.data(), first, last, static_cast<std::int16_t>(c0),
             static_cast<std::int16_t>(c1), width);
    return pairs;
}

TEST(WaveZoom, FourteenHundredSamplesCopyStraightOntoSevenHundredColumns) {
    std::vector<std::int16_t> rows(2048);
    for (int i = 0; i < 2048; ++i) {
        rows[i] = static_cast<std::int16_t>((i * 37) % 451);
    }
    const auto pairs = Zoom(rows, 324, 1723, 0, 699);
    EXPECT_TRUE(std::equal(pairs.begin(), pairs.end(), rows.begin() + 324));
}

// Column j of a window of `samples` over `columns` starts after j * samples / columns samples.
long long ColumnStart(long long j, long long samples, long long columns) {
    return j * (samples / columns) + j * (samples % columns) / columns;
}

TEST(WaveZoom, TwoThousandFortyEightSamplesGiveOrderedPairsOfTwoOrThreeSamples) {
    std::mt19937 random(7);
    std::vector<std::int16_t> rows(2048);
    for (auto& r : rows) {
        r = static_cast<std::int16_t>(47 + random() % 404);
    }
    const auto pairs = Zoom(rows, 0, 2047, 0, 699);
    for (int j = 0; j < kWidth; ++j) {
        const auto begin = rows.begin() + ColumnStart(j, 2048, 700);
        const auto end = rows.begin() + ColumnStart(j + 1, 2048, 700);
        ASSERT_TRUE(end - begin == 2 || end - begin == 3) << "column " << j;
        const auto low = std::min_element(begin, end); // first occurrences
        const auto high = std::max_element(begin, end);
        const bool highLast = *low == *high || high > low;
        EXPECT_EQ(pairs[2 * j], highLast ? *low : *high) << "column " << j;
        EXPECT_EQ(pairs[2 * j + 1], highLast ? *high : *low) << "column " << j;
    }
    EXPECT_EQ(ColumnStart(700, 2048, 700), 2048);
}

TEST(WaveZoom, PairFollowsTheOrderOfTheExtremes) {
    const std::vector<std::uint8_t> rising{10, 20, 30, 40};
    EXPECT_EQ(Zoom(rising, 0, 3, 5, 5)[10], 10);
    EXPECT_EQ(Zoom(rising, 0, 3, 5, 5)[11], 40);
    const std::vector<std::uint8_t> falling{40, 30, 20, 10};
    EXPECT_EQ(Zoom(falling, 0, 3, 5, 5)[10], 40);
    EXPECT_EQ(Zoom(falling, 0, 3, 5, 5)[11], 10);
}

TEST(WaveZoom, ColumnOfNegativeRowsKeepsItsTruePair) {
    const std::vector<std::int32_t> wide{-5, -3, -9, -7};
    const auto widePairs = Zoom(wide, 0, 3, 0, 0);
    EXPECT_EQ(widePairs[0], -3); // the maximum came first
    EXPECT_EQ(widePairs[1], -9);
    const std::vector<std::int16_t> narrow{-20, -40, -30, -35, -25, -10};
    const auto narrowPairs = Zoom(narrow, 0, 5, 0, 1);
    EXPECT_EQ(narrowPairs[0], -20); // -20, -40, -30: maximum first
    EXPECT_EQ(narrowPairs[1], -40);
    EXPECT_EQ(narrowPairs[2], -35); // -35, -25, -10: maximum last
    EXPECT_EQ(narrowPairs[3], -10);
}

TEST(WaveZoom, ExpansionInterpolatesInEightPointEightSteps) {
    const std::vector<std::int16_t> rows{100, 200, 300};
    const auto pairs = Zoom(rows, 0, 2, 0, 1, 2);
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin(), pairs.begin() + 4),
              (std::vector<std::int16_t>{100, 150, 200, 250}));
}

TEST(WaveZoom, InterpolatedValuesWrapAtTheRowCount) {
    const std::vector<std::int16_t> rows{400, 600};
    const auto pairs = Zoom(rows, 0, 1, 0, 1, 2);
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin(), pairs.begin() + 4),
              (std::vector<std::int16_t>{400, 450, 500, 40}));
}

TEST(WaveZoom, ZeroEndpointsFillFlat) {
    const std::vector<std::int16_t> fromZero{0, 100};
    EXPECT_EQ(Zoom(fromZero, 0, 1, 0, 1, 2)[3], 0);
    const std::vector<std::int16_t> toZero{100, 0};
    EXPECT_EQ(Zoom(toZero, 0, 1, 0, 1, 2)[3], 100);
}

TEST(WaveZoom, ExpansionRampsTowardTheNeighboursOutsideTheWindow) {
    // Samples 1..2 (100, 200) on columns 3..4 of an 8-column buffer: 4 slots for 1 interval.
    const std::vector<std::int16_t> rows{300, 100, 200, 100};
    const auto pairs = Zoom(rows, 1, 2, 3, 4, 8);
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin() + 6, pairs.begin() + 10),
              (std::vector<std::int16_t>{100, 125, 150, 175}));
    // Left: 50 rows a column toward the sample before the window, both values alike.
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin(), pairs.begin() + 6),
              (std::vector<std::int16_t>{250, 250, 200, 200, 150, 150}));
    // Right: from the last sample, 25 rows a slot toward the sample after it, never past it.
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin() + 10, pairs.begin() + 16),
              (std::vector<std::int16_t>{200, 175, 150, 125, 100, 100}));
}

TEST(WaveZoom, RampsAreFlatForEqualNeighboursAndAbsentAtTheRecordStart) {
    const std::vector<std::int16_t> rows{100, 200, 200};
    const auto pairs = Zoom(rows, 0, 1, 2, 3, 6, std::int16_t{-1});
    EXPECT_EQ(std::vector<std::int16_t>(pairs.begin(), pairs.begin() + 12),
              (std::vector<std::int16_t>{-1, -1, -1, -1, 100, 125, 150, 175, 200, 200, 200, 200}));
}

TEST(WaveZoom, OneSampleFillsTheWholeBuffer) {
    const std::vector<std::uint8_t> rows{9, 42, 9};
    EXPECT_EQ(Zoom(rows, 1, 1, 300, 310), std::vector<std::uint8_t>(2 * kWidth, 42));
}

TEST(WaveZoom, WindowsOutsideTheBufferWriteNothing) {
    const std::vector<std::int16_t> rows(3000, 100);
    const std::vector<std::int16_t> untouched(2 * kWidth, 77);
    EXPECT_EQ(Zoom(rows, 0, 1399, 0, 700), untouched);      // column past the buffer
    EXPECT_EQ(Zoom(rows, 0, 1401, 0, 700, 701), untouched); // wider than 700 columns
    EXPECT_EQ(Zoom(rows, 0, 1399, -1, 698), untouched);
    EXPECT_EQ(Zoom(rows, -2, 1397, 0, 699), untouched);
    EXPECT_EQ(Zoom(rows, 10, 9, 0, 699), untouched); // no samples
    EXPECT_EQ(Zoom(rows, 0, 99, 10, 9), untouched);  // no columns
    EXPECT_EQ(Zoom(rows, 0, 9, 0, 9, 0), untouched); // no width
}

} // namespace
