// Vertical scaling: raw samples to rows at a plot height, re-scaling, and rows back to bytes.
#include "tracekit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::uint8_t> AllBytes() {
    std::vector<std::uint8_t> bytes(256);
    for (int s = 0; s < 256; ++s) {
        bytes[s] = static_cast<std::uint8_t>(s);
    }
    return bytes;
}

// Live data: display and acquisition scale and offset equal.
template <class Row> std::vector<Row> LiveRows(const std::vector<std::uint8_t>& samples, int a) {
    std::vector<Row> rows(samples.size(), Row{-99});
    WaveZoomV(samples.data(), rows.data(), 0, a, static_cast<int>(samples.size()), 0.5f, 0.1f, 0.5f,
              0.1f);
    return rows;
}

TEST(WaveZoomV, LiveBytesMapToTwiceTheirValueAtFourHundredRows) {
    const auto rows = LiveRows<std::int16_t>(AllBytes(), 400);
    EXPECT_EQ(rows[125], 250);
    EXPECT_EQ(rows[25], 50);
    EXPECT_EQ(rows[225], 450);
    EXPECT_EQ(rows[0], 47);
    EXPECT_EQ(rows[255], 450);
    for (int s = 24; s <= 225; ++s) {
        EXPECT_EQ(rows[s], 2 * s) << "raw " << s;
    }
    EXPECT_EQ(rows[23], 47);
}

TEST(WaveZoomV, ThirtyTwoBitRowsMatchSixteenBitRows) {
    const auto narrow = LiveRows<std::int16_t>(AllBytes(), 400);
    const auto wide = LiveRows<std::int32_t>(AllBytes(), 400);
    for (int s = 0; s < 256; ++s) {
        EXPECT_EQ(wide[s], narrow[s]);
    }
}

TEST(WaveZoomV, ClampLimitsFollowThePlotHeight) {
    const auto rows = LiveRows<std::int16_t>(AllBytes(), 200);
    EXPECT_EQ(rows[125], 125);
    EXPECT_EQ(rows[25], 25);
    EXPECT_EQ(rows[0], 23);    // trunc(24 * 200 / 200) - 1
    EXPECT_EQ(rows[255], 225); // trunc(225 * 200 / 200)
}

TEST(WaveZoomV, StoppedRecordIsRescaledToTheDisplayedScaleAndOffset) {
    // Acquired at 0.5 V/div with 0.25 V offset, shown at 1 V/div with -0.5 V offset:
    // g = 12, h = -12, L = 5000, M = 10000, every division truncating toward zero.
    const std::vector<std::uint8_t> samples{100, 200, 125};
    std::vector<std::int16_t> rows(3);
    WaveZoomV(samples.data(), rows.data(), 0, 400, 3, 1.0f, -0.5f, 0.5f, 0.25f);
    EXPECT_EQ(rows[0], 262); // v = -65000 / 10000 = -6
    EXPECT_EQ(rows[1], 360); // v = 435000 / 10000 = 43
    EXPECT_EQ(rows[2], 286); // v = 6

    // Twice the volts per division halves the excursion about the centre.
    WaveZoomV(samples.data(), rows.data(), 0, 400, 3, 2.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(rows[0], 226); // v = -12.5 truncated to -12
    EXPECT_EQ(rows[1], 324);
    EXPECT_EQ(rows[2], 250);
}

TEST(WaveZoomV, SixteenBitSamplesScaleLikeBytesAndClamp) {
    const std::vector<std::int16_t> samples{25, 125, 1000, -1000};
    std::vector<std::int16_t> rows(4);
    WaveZoomV(samples.data(), rows.data(), 0, 400, 4, 1.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(rows, (std::vector<std::int16_t>{50, 250, 450, 47}));
}

TEST(WaveZoomV, UnusableScalesOrCountsWriteNothing) {
    const auto samples = AllBytes();
    const float nan = std::nanf("");
    struct Case {
        int a;
        int count;
        float b, c, d, e;
    };
    for (const Case& k :
         {Case{400, 256, 0.0f, 0, 1, 0}, Case{400, 256, 1, 0, 0.0f, 0},
          Case{400, 256, nan, 0, 1, 0}, Case{400, 256, 1, 0, 1, 1e30f}, Case{0, 256, 1, 0, 1, 0},
          Case{-400, 256, 1, 0, 1, 0}, Case{400, 0, 1, 0, 1, 0}, Case{400, -5, 1, 0, 1, 0}}) {
        std::vector<std::int16_t> rows(256, -99);
        WaveZoomV(samples.data(), rows.data(), 0, k.a, k.count, k.b, k.c, k.d, k.e);
        EXPECT_EQ(rows, std::vector<std::int16_t>(256, -99)) << "a " << k.a << " b " << k.b;
    }
}

TEST(FilterZoomV, IsNotClampedAndNegatesOnlyForInvertOne) {
    const std::vector<std::uint8_t> samples{0, 25, 255};
    std::vector<std::int32_t> rows(3);
    FilterZoomV(samples.data(), rows.data(), 0, 400, 3, 1.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(rows, (std::vector<std::int32_t>{0, 50, 510}));
    FilterZoomV(samples.data(), rows.data(), 1, 400, 3, 1.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(rows, (std::vector<std::int32_t>{500, 450, -10}));
    FilterZoomV(samples.data(), rows.data(), 2, 400, 3, 1.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(rows, (std::vector<std::int32_t>{0, 50, 510}));
}

TEST(FilterZoomV, HugeScaleRatiosSaturateInsteadOfOverflowing) {
    const std::vector<std::uint8_t> samples{0, 255};
    std::vector<std::int32_t> rows(2);
    FilterZoomV(samples.data(), rows.data(), 0, 400, 2, 0.0001f, 0.0f, 100000.0f, 0.0f);
    EXPECT_LT(rows[0], -1'000'000);
    EXPECT_GT(rows[1], 1'000'000);
}

TEST(InvertWave, RowsReturnToBytesClampedToTheByteRange) {
    const std::vector<std::int16_t> rows{250, 50, 451, -10, 600};
    std::vector<std::uint8_t> bytes(5);
    InvertWave(rows.data(), bytes.data(), 0, 5, 0.0f, 0.0f, 400);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{125, 25, 225, 0, 255}));

    std::vector<std::uint8_t> untouched(5, 7);
    InvertWave(rows.data(), untouched.data(), 0, 5, 0.0f, 0.0f, 0);
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(5, 7));
}

TEST(InvertWave, UndoesLiveScaling) {
    std::vector<std::uint8_t> samples(200);
    for (int s = 25; s < 225; ++s) {
        samples[s - 25] = static_cast<std::uint8_t>(s);
    }
    std::vector<std::int16_t> rows(200);
    WaveZoomV(samples.data(), rows.data(), 0, 400, 200, 1.0f, 0.0f, 1.0f, 0.0f);
    std::vector<std::uint8_t> back(200);
    InvertWave(rows.data(), back.data(), 0, 200, 0.0f, 0.0f, 400);
    EXPECT_EQ(back, samples);
}

} // namespace
