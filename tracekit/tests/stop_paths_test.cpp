// The stopped-record paths through the column kernels: the shade of a row's share of its column,
// PlotStop's pictures with every kernel against the scalar one, 16-bit compression against the
// 32-bit one (a plain loop), and the one-pass scaling and compression against the two calls it
// stands for.
#include "../src/column_kernel.h"
#include "../src/shade_share.h"
#include "surface_fixture.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using tracekit::TraceWindow;
using tracekit::detail::ColumnKernel;
using tracekit::test::IndexTable;
using tracekit::test::TestSurface;

constexpr int kColumns = tracekit::kColumns;

std::vector<const ColumnKernel*> VectorKernels() {
    std::vector<const ColumnKernel*> kernels{&tracekit::detail::BaselineColumnKernel()};
    if (__builtin_cpu_supports("avx2")) {
        kernels.push_back(&tracekit::detail::WideColumnKernel());
    }
    return kernels;
}

enum class Shape { NoisySine, Noise, EveryOtherRow, BeyondTheSurface, Flat };

std::vector<std::int16_t> Record(Shape shape, int length) {
    std::mt19937 random(static_cast<unsigned>(length));
    std::normal_distribution<double> noise(0.0, 4.0);
    std::vector<std::int16_t> rows(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double sine = 250.0 + 150.0 * std::sin(2.0 * M_PI * 7.0 * i / length);
        switch (shape) {
        case Shape::NoisySine:
            rows[i] = static_cast<std::int16_t>(std::lround(sine + noise(random)));
            break;
        case Shape::Noise:
            rows[i] = static_cast<std::int16_t>(random() % 510);
            break;
        case Shape::EveryOtherRow:
            rows[i] = static_cast<std::int16_t>(2 * std::lround((sine + noise(random)) / 2));
            break;
        case Shape::BeyondTheSurface:
            rows[i] = static_cast<std::int16_t>(std::lround(2.2 * sine - 300 + noise(random)));
            break;
        case Shape::Flat:
            rows[i] = 321;
            break;
        }
    }
    return rows;
}

std::string ShapeName(Shape shape) {
    const char* names[] = {"noisy sine", "noise", "every other row", "beyond the surface", "flat"};
    return names[static_cast<int>(shape)];
}

// Whole records on the whole screen, windows starting and ending inside the record and the
// screen, drawn on part of it, and a window of a few very deep columns.
std::vector<TraceWindow> Windows(int length) {
    return {{0, length - 1, 0, kColumns - 1, 0, kColumns - 1, 0, 0},
            {37, length - 12, 13, 650, 20, 640, 0, 0},
            {5, length - 1, 300, 302, 0, kColumns - 1, 0, 0},
            {1, length / 3, 0, 698, 1, 697, 0, 0}};
}

bool SamePixels(const TestSurface& a, const TestSurface& b) {
    for (int row = -TestSurface::kGuardRows; row < tracekit::kSurfaceRows + TestSurface::kGuardRows;
         ++row) {
        for (int col = 0; col < TestSurface::kWidth; ++col) {
            if (a.At(row, col) != b.At(row, col)) {
                return false;
            }
        }
    }
    return true;
}

TEST(ShadeShare, IsTheRoundedDownQuotientOfEveryCount) {
    for (long long total = 1; total <= 3000; ++total) {
        const tracekit::detail::ShadeShare share(total);
        for (long long count = 0; count <= total + 3; ++count) {
            ASSERT_EQ(share(count), 128 * count / total) << count << " of " << total;
        }
    }
    std::mt19937_64 random(2);
    for (const long long total : {1LL << 20, (1LL << 20) + 7, 999983LL, 3LL << 30}) {
        const tracekit::detail::ShadeShare share(total);
        for (int i = 0; i < 100000; ++i) {
            const long long count = static_cast<long long>(random() % (2 * total));
            ASSERT_EQ(share(count), 128 * count / total) << count << " of " << total;
        }
        for (long long k = 1; k <= 256; ++k) { // exactly on and just below every step
            const long long on = (k * total + 127) / 128;
            EXPECT_EQ(share(on), 128 * on / total);
            EXPECT_EQ(share(on - 1), 128 * (on - 1) / total);
        }
    }
}

TEST(PlotStopKernels, EveryKernelDrawsThePicturesOfTheScalarOne) {
    std::vector<std::uint32_t> ramp(tracekit::kColorTableSize);
    SetColorTable(ramp.data(), 0x00FFFFFF, 0.4f);
    const auto table = IndexTable();
    for (const Shape shape : {Shape::NoisySine, Shape::Noise, Shape::EveryOtherRow,
                              Shape::BeyondTheSurface, Shape::Flat}) {
        for (const int length : {1403, 4201, 70001, (1 << 20) + 5}) {
            const auto rows = Record(shape, length);
            for (const TraceWindow& window : Windows(length)) {
                for (const int style : {tracekit::kStyleVectors, 1, 2}) {
                    TestSurface expected;
                    std::vector<std::int16_t> expectedScratch(tracekit::kStopScratchValues, -5);
                    tracekit::detail::PlotStopWith(
                        tracekit::detail::ScalarColumnKernel(), rows.data(), expected.Pixels(),
                        expectedScratch.data(), table.data(), expected.Pitch(), &window, style);
                    ASSERT_GT(expected.DrawnPixels(), 0);
                    for (const ColumnKernel* kernel : VectorKernels()) {
                        TestSurface surface;
                        std::vector<std::int16_t> scratch(tracekit::kStopScratchValues, -5);
                        tracekit::detail::PlotStopWith(*kernel, rows.data(), surface.Pixels(),
                                                       scratch.data(), table.data(),
                                                       surface.Pitch(), &window, style);
                        EXPECT_TRUE(SamePixels(surface, expected))
                            << ShapeName(shape) << " length " << length << " columns "
                            << window.nFirstCol << ".." << window.nLastCol << " style " << style;
                        EXPECT_EQ(scratch, expectedScratch);
                    }
                }
            }
        }
    }
}

template <class T>
std::vector<T> Zoomed(const std::vector<T>& samples, int first, int last, int c0, int c1) {
    std::vector<T> pairs(2 * kColumns, T{77});
    WaveZoom(samples.data(), pairs.data(), first, last, static_cast<std::int16_t>(c0),
             static_cast<std::int16_t>(c1), kColumns);
    return pairs;
}

TEST(WaveZoomKernel, SixteenBitCompressionKeepsThePairsOfThePlainLoop) {
    for (const Shape shape :
         {Shape::NoisySine, Shape::Noise, Shape::BeyondTheSurface, Shape::Flat}) {
        auto rows = Record(shape, 200003);
        rows[1000] = std::numeric_limits<std::int16_t>::lowest();
        rows[1001] = std::numeric_limits<std::int16_t>::max();
        const std::vector<std::int32_t> wide(rows.begin(), rows.end());
        for (const TraceWindow& w : Windows(200003)) {
            const auto pairs = Zoomed(rows, w.nFirstSample, w.nLastSample, w.nFirstCol, w.nLastCol);
            const auto expected =
                Zoomed(wide, w.nFirstSample, w.nLastSample, w.nFirstCol, w.nLastCol);
            EXPECT_TRUE(std::equal(pairs.begin(), pairs.end(), expected.begin()))
                << ShapeName(shape) << " columns " << w.nFirstCol << ".." << w.nLastCol;
        }
    }
}

struct Scale {
    int a;
    float b, c, d, e;
};

// Equal scales on whole 200ths of height (straight lines, some clamped, one whose products
// leave 16 bits), and scales that only the row table gives.
const std::vector<Scale> kScales{{400, 1.0f, 0.0f, 1.0f, 0.0f},  {400, 0.5f, 0.3f, 0.5f, -0.8f},
                                 {200, 1.0f, -2.0f, 1.0f, 1.5f}, {32000, 1.0f, 0.0f, 1.0f, 0.0f},
                                 {350, 1.0f, 0.0f, 1.0f, 0.0f},  {400, 2.0f, 0.0f, 1.0f, 0.0f},
                                 {400, 0.2f, 0.04f, 0.5f, 0.0f}};

std::vector<std::uint8_t> RawRecord(int length) {
    std::mt19937 random(9);
    std::normal_distribution<double> noise(0.0, 5.0);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double v = 128.0 + 110.0 * std::sin(2.0 * M_PI * 3.0 * i / length) + noise(random);
        raw[i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    }
    raw[17] = 0;
    raw[18] = 255;
    return raw;
}

// The rows of the 32-bit byte scaling (the plain table) held in 16 bits.
std::vector<std::int16_t> ReferenceRows(const std::vector<std::uint8_t>& raw, const Scale& s) {
    std::vector<std::int32_t> wide(raw.size(), 0);
    WaveZoomV(raw.data(), wide.data(), 0, s.a, static_cast<int>(raw.size()), s.b, s.c, s.d, s.e);
    std::vector<std::int16_t> rows(raw.size());
    std::transform(wide.begin(), wide.end(), rows.begin(), [](std::int32_t r) {
        return static_cast<std::int16_t>(std::clamp<std::int32_t>(r, -32768, 32767));
    });
    return rows;
}

TEST(ScaleAndCompress, GivesTheRowsAndPairsOfScalingThenCompressing) {
    const int length = 300007;
    const auto raw = RawRecord(length);
    for (const Scale& s : kScales) {
        const auto expectedRows = ReferenceRows(raw, s);
        for (const int count : {1, 15, 17, 1001}) {
            std::vector<std::int16_t> rows(static_cast<std::size_t>(count) + 1, -7);
            WaveZoomV(raw.data(), rows.data(), 0, s.a, count, s.b, s.c, s.d, s.e);
            EXPECT_TRUE(std::equal(rows.begin(), rows.end() - 1, expectedRows.begin()))
                << "a " << s.a << " count " << count;
            EXPECT_EQ(rows.back(), -7);
        }
        for (const TraceWindow& w : Windows(length)) {
            const auto expectedPairs =
                Zoomed(expectedRows, w.nFirstSample, w.nLastSample, w.nFirstCol, w.nLastCol);
            std::vector<std::int16_t> rows(length + 1, -7);
            std::vector<std::int16_t> pairs(2 * kColumns, 77);
            ASSERT_TRUE(tracekit::ScaleAndCompress(
                raw.data(), rows.data(), s.a, length, s.b, s.c, s.d, s.e, pairs.data(),
                w.nFirstSample, w.nLastSample, static_cast<std::int16_t>(w.nFirstCol),
                static_cast<std::int16_t>(w.nLastCol), kColumns));
            EXPECT_TRUE(std::equal(rows.begin(), rows.end() - 1, expectedRows.begin()))
                << "a " << s.a << " columns " << w.nFirstCol << ".." << w.nLastCol;
            EXPECT_EQ(rows.back(), -7);
            EXPECT_EQ(pairs, expectedPairs)
                << "a " << s.a << " columns " << w.nFirstCol << ".." << w.nLastCol;
        }
    }
}

TEST(ScaleAndCompress, RefusesWhatItDoesNotCompressAndWritesNothing) {
    const auto raw = RawRecord(5000);
    struct Case {
        const char* what;
        int a;
        float b;
        int count, first, last, c0, c1, width;
    };
    for (const Case& c : {Case{"two samples a column", 400, 1.0f, 5000, 0, 1399, 0, 699, 700},
                          Case{"expansion", 400, 1.0f, 5000, 0, 99, 0, 699, 700},
                          Case{"window past the record", 400, 1.0f, 5000, 0, 5000, 0, 699, 700},
                          Case{"column past the width", 400, 1.0f, 5000, 0, 4999, 0, 699, 699},
                          Case{"negative first sample", 400, 1.0f, 5000, -1, 4999, 0, 699, 700},
                          Case{"no display scale", 400, 0.0f, 5000, 0, 4999, 0, 699, 700},
                          Case{"no plot height", 0, 1.0f, 5000, 0, 4999, 0, 699, 700}}) {
        std::vector<std::int16_t> rows(5001, -7);
        std::vector<std::int16_t> pairs(2 * kColumns, 77);
        EXPECT_FALSE(tracekit::ScaleAndCompress(
            raw.data(), rows.data(), c.a, c.count, c.b, 0.0f, 1.0f, 0.0f, pairs.data(), c.first,
            c.last, static_cast<std::int16_t>(c.c0), static_cast<std::int16_t>(c.c1), c.width))
            << c.what;
        EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](auto v) { return v == -7; }))
            << c.what;
        EXPECT_TRUE(std::all_of(pairs.begin(), pairs.end(), [](auto v) { return v == 77; }))
            << c.what;
    }
}

} // namespace
