// The column kernels of the stopped-record paths against straightforward references: every
// vector width must give exactly what a plain loop gives, on lengths that leave odd ends, spans
// narrow and wide, rows two apart, and rows off the surface.
#include "../src/column_kernel.h"
#include "tracekit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using tracekit::kSurfaceRows;
using tracekit::detail::ColumnKernel;
using tracekit::detail::RowSpan;
using tracekit::detail::StraightRows;

struct NamedKernel {
    std::string name;
    const ColumnKernel* kernel;
};

// The scalar kernel and every vector kernel this processor runs.
std::vector<NamedKernel> Kernels() {
    std::vector<NamedKernel> kernels{{"scalar", &tracekit::detail::ScalarColumnKernel()},
                                     {"128-bit", &tracekit::detail::BaselineColumnKernel()}};
    if (__builtin_cpu_supports("avx2")) {
        kernels.push_back({"256-bit", &tracekit::detail::WideColumnKernel()});
    }
    return kernels;
}

// Lengths around the vector widths, the 8160-byte staging block and beyond.
const std::vector<long long> kLengths{1,  2,  3,  7,   8,    9,    15,   16,   17,   31,   32,   33,
                                      63, 64, 65, 127, 1498, 4079, 4080, 4081, 8160, 8161, 20011};

// Rows of one kind: lo + step * k for k drawn from 0..values - 1.
std::vector<std::int16_t> Rows(std::mt19937& random, long long length, int lo, int step,
                               int values) {
    std::uniform_int_distribution<int> k(0, values - 1);
    std::vector<std::int16_t> rows(static_cast<std::size_t>(length));
    for (auto& r : rows) {
        r = static_cast<std::int16_t>(lo + step * k(random));
    }
    return rows;
}

struct RowKind {
    int lo;
    int step;
    int values;
};

// Spans around the comparison limits of both widths (21 and 41 row values), spans compared only
// if their rows were two apart (31 and 61 values), rows two and four apart (also too many to
// compare), and rows below and above the surface.
const std::vector<RowKind> kKinds{
    {200, 1, 1},    {200, 1, 2},   {100, 1, 5},   {300, 1, 21},  {300, 1, 22}, {50, 1, 41},
    {50, 1, 42},    {50, 1, 31},   {50, 1, 61},   {100, 1, 256}, {0, 1, 510},  {101, 2, 23},
    {98, 4, 30},    {10, 2, 60},   {-20, 1, 30},  {495, 1, 30},  {-40, 2, 20}, {490, 3, 12},
    {-32768, 1, 3}, {32760, 1, 8}, {-300, 7, 200}};

RowSpan ReferenceSpan(const std::vector<std::int16_t>& rows) {
    const auto [lo, hi] = std::minmax_element(rows.begin(), rows.end());
    return {*lo, *hi};
}

bool ReferenceHighestLast(const std::vector<std::int16_t>& rows) {
    const RowSpan span = ReferenceSpan(rows);
    const auto firstLow = std::find(rows.begin(), rows.end(), span.lo);
    const auto firstHigh = std::find(rows.begin(), rows.end(), span.hi);
    return firstHigh >= firstLow;
}

std::vector<std::uint32_t> ReferenceCounts(const std::vector<std::int16_t>& rows,
                                           std::vector<std::uint32_t> bins) {
    for (const std::int16_t r : rows) {
        ++bins[std::clamp<int>(r, 0, kSurfaceRows - 1)];
    }
    return bins;
}

TEST(ColumnKernels, EveryWidthFindsSpanOrderAndCountsLikeAPlainLoop) {
    std::mt19937 random(21);
    std::uniform_int_distribution<std::uint32_t> earlier(0, 1000);
    for (const RowKind& kind : kKinds) {
        for (const long long length : kLengths) {
            const auto rows = Rows(random, length, kind.lo, kind.step, kind.values);
            std::vector<std::uint32_t> bins(kSurfaceRows);
            for (auto& b : bins) {
                b = earlier(random); // counts add to what the bins hold
            }
            const RowSpan span = ReferenceSpan(rows);
            const auto counts = ReferenceCounts(rows, bins);
            for (const NamedKernel& k : Kernels()) {
                SCOPED_TRACE(k.name + " lo " + std::to_string(kind.lo) + " step " +
                             std::to_string(kind.step) + " values " + std::to_string(kind.values) +
                             " length " + std::to_string(length));
                const RowSpan found = k.kernel->span(rows.data(), length);
                ASSERT_EQ(found.lo, span.lo);
                ASSERT_EQ(found.hi, span.hi);
                EXPECT_EQ(k.kernel->highestLast(rows.data(), length, span),
                          ReferenceHighestLast(rows));
                auto counted = bins;
                const RowSpan touched = k.kernel->count(rows.data(), length, span, counted.data());
                EXPECT_EQ(touched.lo, std::clamp(span.lo, 0, kSurfaceRows - 1));
                EXPECT_EQ(touched.hi, std::clamp(span.hi, 0, kSurfaceRows - 1));
                ASSERT_EQ(counted, counts);
            }
        }
    }
}

TEST(ColumnKernels, CountsStayExactWhereOneRowHoldsAlmostEverySampleOrTheLastOneIsOdd) {
    // Every byte lane of a long comparison sees the same row in block after block, and rows two
    // apart end in an odd one (the highest or not) after the last whole block.
    for (const long long length : {8160LL, 8191LL, 65536LL + 9}) {
        for (const std::int16_t last : {301, 303}) {
            std::vector<std::int16_t> rows(static_cast<std::size_t>(length), 300);
            rows[5] = 302;
            rows[length - 1] = last;
            const auto counts = ReferenceCounts(rows, std::vector<std::uint32_t>(kSurfaceRows));
            for (const NamedKernel& k : Kernels()) {
                std::vector<std::uint32_t> bins(kSurfaceRows);
                const RowSpan span = k.kernel->span(rows.data(), length);
                k.kernel->count(rows.data(), length, span, bins.data());
                EXPECT_EQ(bins, counts) << k.name << " length " << length << " last " << last;
            }
        }
    }
}

TEST(ColumnKernels, OrderFollowsTheFirstExtremeReachedWhereverItLies) {
    for (const long long length : {9LL, 33LL, 1498LL}) {
        for (long long at = 0; at < length; at += std::max(1LL, length / 40)) {
            // Flat at 200, a dip to 190 at `at` and a peak to 210 just after it (or wrapped to
            // the start): the dip comes first unless the peak wrapped.
            std::vector<std::int16_t> rows(static_cast<std::size_t>(length), 200);
            const long long peak = (at + 1) % length;
            rows[at] = 190;
            rows[peak] = 210;
            for (const NamedKernel& k : Kernels()) {
                const RowSpan span = k.kernel->span(rows.data(), length);
                EXPECT_EQ(k.kernel->highestLast(rows.data(), length, span), peak > at)
                    << k.name << " length " << length << " at " << at;
            }
        }
    }
}

TEST(ColumnKernels, EveryWidthScalesBytesAlongTheLineIncludingProductsBeyondSixteenBits) {
    std::mt19937 random(5);
    std::vector<std::uint8_t> samples(1001);
    for (auto& s : samples) {
        s = static_cast<std::uint8_t>(random());
    }
    samples[3] = 0;
    samples[4] = 255;
    const std::vector<StraightRows> lines{
        {2, 0, 47, 450}, {1, 125, 23, 225}, {3, -200, -10, 600}, {160, -12000, -32768, 32767}};
    for (const StraightRows& line : lines) {
        std::vector<std::int16_t> expected(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            expected[i] = static_cast<std::int16_t>(std::clamp(
                line.slope * samples[i] + line.offset, int{line.lowest}, int{line.highest}));
        }
        for (const NamedKernel& k : Kernels()) {
            for (const long long length : {1LL, 15LL, 16LL, 17LL, 33LL, 1001LL}) {
                std::vector<std::int16_t> rows(samples.size() + 1, -7);
                k.kernel->scale(samples.data(), rows.data(), length, line);
                EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + length, expected.begin()))
                    << k.name << " slope " << line.slope << " length " << length;
                EXPECT_EQ(rows[length], -7) << k.name << " wrote past " << length;
            }
        }
    }
}

} // namespace
