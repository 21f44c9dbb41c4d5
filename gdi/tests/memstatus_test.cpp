#include "guarded_surface.h"
#include "ox_records.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t kMarker = 0xF4960F;
constexpr std::uint32_t kWindow = 0xDCF00A;
constexpr std::uint32_t kOutside = 0x8C8C8C;
constexpr std::uint32_t kOutline = 0x78B4B4;
constexpr std::uint32_t kJunk = 0x123456;

// Y-T, 100 MSa/s; 10 us/div puts 14,000 samples on screen.
_OX_SETUP ScopeSetup(int memory, double offset = 0) {
    _OX_SETUP setup{};
    setup.nTrigMode = 0;
    setup.nTimeFormat = 0;
    setup.dTimeScale = 1e-5;
    setup.fSampleRate = 1e8f;
    setup.nAcqMemory = memory;
    setup.dTimeOffset = offset;
    return setup;
}

// Columns 5..154 of the wave (rows 12..19) drawn in the colour.
int WaveColumns(const GuardedSurface& s, std::uint32_t colour) {
    int n = 0;
    for (int y = 12; y <= 19; ++y) {
        n += s.CountRow(y, colour);
    }
    return n;
}

} // namespace

TEST(MemStatus, NothingUnderAlternateTrigger) {
    GuardedSurface s(160, 30, kJunk);
    _OX_SETUP setup = ScopeSetup(14000);
    setup.nTrigMode = 4;
    DrawMemStatus(s.desc, &setup);
    DrawMemStatus(s.desc, nullptr);
    EXPECT_EQ(s.Count(kJunk), 160 * 30);
}

TEST(MemStatus, XYAndRollFillTheBar) {
    for (const int format : {1, 2}) {
        GuardedSurface s(160, 30, kJunk);
        _OX_SETUP setup = ScopeSetup(14000);
        setup.nTimeFormat = format;
        DrawMemStatus(s.desc, &setup);
        EXPECT_EQ(s.Count(0xFEFF00), 156 * 12);
        EXPECT_EQ(s.At(2, 1), 0xFEFF00u);
        EXPECT_EQ(s.At(157, 12), 0xFEFF00u);
        EXPECT_EQ(s.At(1, 1), kJunk);
        EXPECT_EQ(s.At(158, 12), kJunk);
        EXPECT_EQ(s.At(2, 13), kJunk);
    }
}

TEST(MemStatus, WaveFollowsItsEighteenRows) {
    GuardedSurface s(160, 30, kJunk);
    const _OX_SETUP setup = ScopeSetup(14000);
    DrawMemStatus(s.desc, &setup);
    const int rows[18] = {15, 14, 13, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 19, 18, 17, 16};
    for (int x = 5; x <= 154; ++x) {
        EXPECT_EQ(s.At(x, rows[(x - 5) % 18]), kWindow) << x;
    }
    EXPECT_EQ(WaveColumns(s, kWindow), 150); // the whole memory is on screen
    EXPECT_EQ(WaveColumns(s, kOutside), 0);
}

TEST(MemStatus, WindowWidthFromScreenSamplesOverMemory) {
    GuardedSurface half(160, 30);
    const _OX_SETUP halfSetup = ScopeSetup(28000);
    DrawMemStatus(half.desc, &halfSetup);
    EXPECT_EQ(WaveColumns(half, kWindow), 75);
    EXPECT_EQ(WaveColumns(half, kOutside), 75);
    // Centred: columns 42..116, the bracket on both ends.
    EXPECT_EQ(half.At(42, 6), kWindow);
    EXPECT_EQ(half.At(116, 6), kWindow);
    EXPECT_EQ(half.At(41, 6), 0u);

    GuardedSurface tiny(160, 30);
    const _OX_SETUP tinySetup = ScopeSetup(1048576);
    DrawMemStatus(tiny.desc, &tinySetup);
    EXPECT_EQ(WaveColumns(tiny, kWindow), 3);
}

TEST(MemStatus, OutlineAndClearedArea) {
    GuardedSurface s(160, 30, kJunk);
    const _OX_SETUP setup = ScopeSetup(28000);
    DrawMemStatus(s.desc, &setup);
    EXPECT_EQ(s.CountRow(3, kOutline), 152 - 1); // columns 4..155, crossed by the trigger marker
    EXPECT_EQ(s.At(79, 3), kMarker);
    EXPECT_EQ(s.CountColumn(4, kOutline), 9);
    EXPECT_EQ(s.At(2, 12), 0u);
    EXPECT_EQ(s.At(157, 2), 0u);
    EXPECT_EQ(s.At(1, 1), kJunk);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(MemStatus, TriggerMarkerCentredOrAtTheEnds) {
    struct Case {
        double offset;
        int centre;
    };
    // 28,000 points at 100 MSa/s span 280 us: an offset of 280 us moves the trigger a whole bar.
    for (const Case c : {Case{0, 79}, Case{280e-6 * 0.2, 49}, Case{280e-6 * 0.49, 7},
                         Case{-280e-6 * 0.49, 152}, Case{1.0, 7}, Case{-1.0, 152}}) {
        GuardedSurface s(160, 30);
        const _OX_SETUP setup = ScopeSetup(28000, c.offset);
        DrawMemStatus(s.desc, &setup);
        EXPECT_EQ(s.CountRow(1, kMarker), 5) << c.offset;
        EXPECT_EQ(s.At(c.centre - 2, 1), kMarker) << c.offset;
        EXPECT_EQ(s.At(c.centre + 2, 1), kMarker) << c.offset;
        EXPECT_EQ(s.CountColumn(c.centre, kMarker), 5) << c.offset;
        EXPECT_EQ(s.At(c.centre, 5), kMarker) << c.offset;
    }
}

TEST(MemStatus, MeaninglessSetupStillDrawsASaneBar) {
    for (const int memory : {0, -5}) {
        GuardedSurface s(160, 30);
        _OX_SETUP setup = ScopeSetup(memory, 1e-3);
        DrawMemStatus(s.desc, &setup);
        EXPECT_EQ(WaveColumns(s, kWindow), 150);
        EXPECT_EQ(s.CountColumn(79, kMarker), 5);
    }
    GuardedSurface s(160, 30);
    _OX_SETUP setup = ScopeSetup(28000, std::numeric_limits<double>::quiet_NaN());
    setup.dTimeScale = std::numeric_limits<double>::infinity();
    DrawMemStatus(s.desc, &setup);
    EXPECT_EQ(WaveColumns(s, kWindow), 150);
    EXPECT_EQ(s.CountColumn(79, kMarker), 5);
    EXPECT_TRUE(s.GuardIntact());
}
