#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <vector>

using Samples = std::vector<std::uint16_t>;

namespace {

constexpr std::uint32_t kC = 0x00FFFF;

} // namespace

TEST(SingleWave, LevelsAndEdgesOfOneLine) {
    GuardedSurface s(8, 30);
    // Line 3 (0x8): low, high, high, changing inside, low, low.
    const Samples pairs{0, 0, 8, 8, 8, 8, 0, 8, 0, 0, 0, 0};
    DrawSingleWave(s.desc, pairs, 3, 20, kC, 5, 0, 5);
    EXPECT_EQ(s.CountColumn(0, kC), 1); // no edge at the first column
    EXPECT_EQ(s.At(0, 20), kC);
    EXPECT_EQ(s.CountColumn(1, kC), 5); // rising edge: rows 16..20
    EXPECT_EQ(s.At(1, 16), kC);
    EXPECT_EQ(s.At(1, 15), 0u);
    EXPECT_EQ(s.CountColumn(2, kC), 1); // steady high
    EXPECT_EQ(s.At(2, 16), kC);
    EXPECT_EQ(s.CountColumn(3, kC), 5); // changed inside the column
    EXPECT_EQ(s.CountColumn(4, kC), 5); // differs from the column before
    EXPECT_EQ(s.CountColumn(5, kC), 1);
    EXPECT_EQ(s.At(5, 20), kC);
    EXPECT_EQ(s.CountColumn(6, kC), 0);
}

TEST(SingleWave, FirstColumnHighOrInsideAWindow) {
    GuardedSurface s(8, 30);
    const Samples pairs{8, 8, 8, 8, 0, 0, 0, 0};
    DrawSingleWave(s.desc, pairs, 3, 10, kC, 3, 1, 3);
    EXPECT_EQ(s.CountColumn(0, kC), 0);
    EXPECT_EQ(s.CountColumn(1, kC), 1);
    EXPECT_EQ(s.At(1, 8), kC);
    EXPECT_EQ(s.CountColumn(2, kC), 3);
    EXPECT_EQ(s.CountColumn(3, kC), 1);
}

TEST(SingleWave, OutOfRangeArgumentsDrawNothing) {
    GuardedSurface s(8, 30);
    const Samples pairs(8, 0xFFFF);
    DrawSingleWave(s.desc, pairs, 16, 10, kC, 3, 0, 3);
    DrawSingleWave(s.desc, pairs, -1, 10, kC, 3, 0, 3);
    DrawSingleWave(s.desc, pairs, 0, 10, kC, 0, 0, 3);
    DrawSingleWave(s.desc, pairs, 0, 10, kC, 3, 0, 4); // column 4 has no pair
    DrawSingleWave(s.desc, pairs, 0, 10, kC, 3, -1, 3);
    DrawSingleWave(s.desc, pairs, 0, 10, kC, 3, 3, 2);
    EXPECT_EQ(s.Drawn(), 0);
    // Rows beyond the surface are clipped.
    DrawSingleWave(s.desc, Samples{0, 0xFFFF, 0, 0xFFFF}, 0, 31, kC, 3, 0, 1);
    EXPECT_EQ(s.Drawn(), 2);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(LaZoomOut, AndOrPairPerColumn) {
    const Samples source{0x1, 0x3, 0x1, 0x1, 0x1, 0x4, 0x4, 0x4, 0x4, 0x6};
    Samples out(4, 0xEEEE);
    ASSERT_EQ(LaWaveZoomOut(source, out, 10, 4), 0);
    EXPECT_EQ(out, (Samples{0x1, 0x3, 0x4, 0x6}));

    // An odd slot count rounds the columns up; 9 samples over 3 columns, 3 each.
    const Samples nine{0xF0, 0xF1, 0xF0, 0x0F, 0x0F, 0x0F, 0x00, 0xFF, 0x00};
    Samples three(6, 0);
    ASSERT_EQ(LaWaveZoomOut(nine, three, 9, 5), 0);
    EXPECT_EQ(three, (Samples{0xF0, 0xF1, 0x0F, 0x0F, 0x00, 0xFF}));
}

TEST(LaZoomOut, SplitsSamplesBresenhamWise) {
    // 5 samples over 2 columns: shares 0..1 and 2..4.
    const Samples source{1, 1, 2, 2, 2};
    Samples out(4, 0);
    ASSERT_EQ(LaWaveZoomOut(source, out, 5, 4), 0);
    EXPECT_EQ(out, (Samples{1, 1, 2, 2}));
}

TEST(LaZoomOut, RefusesZeroCountsAndShortBuffers) {
    const Samples source(10, 1);
    Samples out(4, 0xEEEE);
    EXPECT_EQ(LaWaveZoomOut(source, out, 0, 4), -1);
    EXPECT_EQ(LaWaveZoomOut(source, out, 10, 0), -1);
    EXPECT_EQ(LaWaveZoomOut(source, out, 11, 4), -1);
    EXPECT_EQ(LaWaveZoomOut(source, out, 10, 5), -1); // 3 columns need 6 slots
    EXPECT_EQ(out, Samples(4, 0xEEEE));
}

TEST(LaZoomIn, RepeatsSamplesAndFillsToTheTotalWithTheNext) {
    const Samples source{0xA, 0xB, 0xC, 0xD};
    Samples out(10, 0);
    ASSERT_EQ(devZoomInLaData(source, out, 3, 8, 10), 0);
    EXPECT_EQ(out, (Samples{0xA, 0xA, 0xB, 0xB, 0xB, 0xC, 0xC, 0xC, 0xD, 0xD}));
    // When the source ends with the window the last sample carries on.
    ASSERT_EQ(devZoomInLaData(std::span(source).first(3), out, 3, 8, 10), 0);
    EXPECT_EQ(out[9], 0xC);
}

TEST(LaZoomIn, RefusesZeroCountsAndShortBuffers) {
    const Samples source{1, 2, 3};
    Samples out(8, 0xEEEE);
    EXPECT_EQ(devZoomInLaData(source, out, 0, 8, 8), -1);
    EXPECT_EQ(devZoomInLaData(source, out, 3, 0, 8), -1);
    EXPECT_EQ(devZoomInLaData(source, out, 4, 8, 8), -1);
    EXPECT_EQ(devZoomInLaData(source, out, 3, 9, 9), -1);
    EXPECT_EQ(devZoomInLaData(source, out, 3, 4, 9), -1);
    EXPECT_EQ(out, Samples(8, 0xEEEE));
}

TEST(LaZoomIn, EightBitSamplesWidened) {
    const std::vector<std::uint8_t> source{0x12, 0xFF};
    Samples out(5, 0);
    ASSERT_EQ(DataZoomIn(source, out, 2, 4, 5), 0);
    EXPECT_EQ(out, (Samples{0x12, 0x12, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(DataZoomIn(source, out, 0, 4, 5), -1);
}

TEST(LaZoomIn, WindowOfColumns) {
    const Samples source{0xA, 0xB, 0xC};
    Samples out(12, 0);
    // Columns 2..3 (slots 4..7) take the two samples; before them the first, after them the next.
    ASSERT_EQ(LaWaveZoomIn(source, out, 2, 2, 3), 0);
    EXPECT_EQ(out, (Samples{0xA, 0xA, 0xA, 0xA, 0xA, 0xA, 0xB, 0xB, 0xC, 0xC, 0xC, 0xC}));
    Samples partial(12, 0);
    ASSERT_EQ(LAZoomIn(source, partial, 3, 3, 1, 4), 0);
    EXPECT_EQ(partial, (Samples{0xA, 0xA, 0xA, 0xB, 0xC, 0xC, 0xC, 0xC, 0xC, 0xC, 0xC, 0xC}));

    Samples untouched(12, 0xEEEE);
    EXPECT_EQ(LaWaveZoomIn(source, untouched, 2, 2, 6), -1); // column 6 is past 12 slots
    EXPECT_EQ(LaWaveZoomIn(source, untouched, 2, 3, 2), -1);
    EXPECT_EQ(LAZoomIn(source, untouched, 2, 9, 1, 4), -1); // 9 slots do not fit columns 1..4
    EXPECT_EQ(LaWaveZoomIn(source, untouched, 4, 2, 3), -1);
    EXPECT_EQ(untouched, Samples(12, 0xEEEE));
}

TEST(DragRegion, DottedRectangleInBlueGreenRedBytes) {
    constexpr int kWidth = 20;
    std::vector<std::uint8_t> bitmap(kWidth * 10 * 4, 0xAA);
    // (18, 12)-(28, 17) in composition coordinates is (2, 3)-(12, 8) on the bitmap.
    DrawDragRgn(bitmap, kWidth, {18, 12, 28, 17}, 0x112233);
    auto pixel = [&](int x, int y) {
        return &bitmap[static_cast<std::size_t>((y * kWidth + x) * 4)];
    };
    EXPECT_EQ(pixel(2, 3)[0], 0x33);
    EXPECT_EQ(pixel(2, 3)[1], 0x22);
    EXPECT_EQ(pixel(2, 3)[2], 0x11);
    EXPECT_EQ(pixel(2, 3)[3], 0xAA);
    EXPECT_EQ(pixel(6, 3)[0], 0xAA); // the fifth pixel of the edge is a gap
    EXPECT_EQ(pixel(7, 3)[0], 0x33);
    EXPECT_EQ(pixel(10, 7)[0], 0x33);
    EXPECT_EQ(pixel(11, 7)[0], 0xAA); // the fifth of the right edge and the tenth of the bottom
    EXPECT_EQ(pixel(11, 3)[0], 0x33);
    EXPECT_EQ(pixel(12, 3)[0], 0xAA);
    EXPECT_EQ(pixel(2, 8)[0], 0xAA);
    int drawn = 0;
    for (std::size_t i = 0; i < bitmap.size(); i += 4) {
        drawn += bitmap[i] == 0x33;
    }
    EXPECT_EQ(drawn, 8 + 8 + 4 + 4 - 1); // the top-left corner is shared by two edges
    // Hanging over the bitmap: nothing written past its bytes.
    std::vector<std::uint8_t> tiny(4 * 4 * 4 + 4, 0xAA);
    DrawDragRgn(std::span(tiny).first(64), 4, {10, 5, 100, 100}, 0x112233);
    EXPECT_EQ(tiny[64], 0xAA);
}
