// The column kernel for one vector width. Included (inside an unnamed namespace) by each
// kernel's source file, which supplies the vector type V of kWidth 16-bit lanes: T, Load,
// Widen (kWidth bytes to 16 bits each), Store, Set1, Min, Max, Add, Sub, MulLo (the low
// 16 bits of the product), ShiftRight (logical), Equal (all ones where equal), Or, Xor and Mask
// (non-zero when any lane is); and on 2 * kWidth byte lanes PackBytes (two vectors of 16-bit
// lanes 0..255, in any order), StoreBytes, LoadBytes, Set1Bytes, EqualBytes, SubBytes and
// SumBytes (the sum of all bytes).

template <class V> using Lanes = std::array<std::int16_t, V::kWidth>;

template <class V> Lanes<V> LanesOf(typename V::T v) {
    Lanes<V> lanes;
    V::Store(lanes.data(), v);
    return lanes;
}

template <class V>
void ScaleBytes(const std::uint8_t* samples, std::int16_t* rows, long long count,
                const StraightRows& line) {
    // Products wrap in 16 bits; the unclamped rows fit in 16 bits, so the sums come out right.
    const auto slope = V::Set1(line.slope);
    const auto offset = V::Set1(line.offset);
    const auto lowest = V::Set1(line.lowest);
    const auto highest = V::Set1(line.highest);
    long long i = 0;
    for (; i + V::kWidth <= count; i += V::kWidth) {
        const auto row = V::Add(V::MulLo(V::Widen(samples + i), slope), offset);
        V::Store(rows + i, V::Min(V::Max(row, lowest), highest));
    }
    for (; i < count; ++i) {
        rows[i] = StraightRow(samples[i], line);
    }
}

template <class V> RowSpan Span(const std::int16_t* rows, long long count) {
    if (count < V::kWidth) {
        return ScalarSpan(rows, count, {rows[0], rows[0]});
    }
    auto lo = V::Load(rows);
    auto hi = lo;
    long long i = V::kWidth;
    for (; i + V::kWidth <= count; i += V::kWidth) {
        const auto v = V::Load(rows + i);
        lo = V::Min(lo, v);
        hi = V::Max(hi, v);
    }
    const Lanes<V> lows = LanesOf<V>(lo);
    const Lanes<V> highs = LanesOf<V>(hi);
    const RowSpan span{*std::min_element(lows.begin(), lows.end()),
                       *std::max_element(highs.begin(), highs.end())};
    return ScalarSpan(rows + i, count - i, span);
}

// Finds the first block holding either extreme; the scalar scan decides from there.
template <class V> bool HighestLast(const std::int16_t* rows, long long count, RowSpan span) {
    const auto lo = V::Set1(static_cast<std::int16_t>(span.lo));
    const auto hi = V::Set1(static_cast<std::int16_t>(span.hi));
    long long i = 0;
    for (; i + V::kWidth <= count; i += V::kWidth) {
        const auto v = V::Load(rows + i);
        if (V::Mask(V::Or(V::Equal(v, lo), V::Equal(v, hi))) != 0) {
            break;
        }
    }
    return ScalarHighestLast(rows + i, count - i, span);
}

// Counting by comparison: the rows of a column become bytes d = (row - lo) >> shift, where every
// row differs from lo by a multiple of 1 << shift (rows scaled two to a sample step skip every
// other row), and each value of d but the last takes one compare and one subtract per block of
// kBytes bytes. Narrow columns count faster so than sample by sample.
template <class V> constexpr int kBytes = 2 * V::kWidth;
template <class V> constexpr int kStageBytes = 255 * kBytes<V>; // byte counters never wrap
// Up to about 1.25 values a byte lane, comparing costs less than counting sample by sample.
template <class V> constexpr int kCompareValues = kBytes<V> + kBytes<V> / 4;
constexpr int kValueGroup = 4; // values compared in one sweep

// The largest shift (at most 7) by which every row differs from the first by a multiple.
template <class V> int CommonShift(const std::int16_t* rows, long long count) {
    const auto first = V::Set1(rows[0]);
    auto differ = V::Set1(0);
    long long i = 0;
    for (; i + V::kWidth <= count; i += V::kWidth) {
        differ = V::Or(differ, V::Xor(V::Load(rows + i), first));
    }
    unsigned bits = 1u << 7;
    for (const std::int16_t lane : LanesOf<V>(differ)) {
        bits |= static_cast<std::uint16_t>(lane);
    }
    for (; i < count; ++i) {
        bits |= static_cast<std::uint16_t>(rows[i] ^ rows[0]);
    }
    return std::countr_zero(bits);
}

// Values d of blocks of rows into `stage`, kBytes per block.
template <class V>
void StageValues(const std::int16_t* rows, long long blocks, int lo, int shift, bool clamp,
                 std::uint8_t* stage) {
    const auto base = V::Set1(static_cast<std::int16_t>(lo));
    const auto zero = V::Set1(0);
    const auto top = V::Set1(static_cast<std::int16_t>(kSurfaceRows - 1));
    const auto onRow = [&](typename V::T v) { return clamp ? V::Min(V::Max(v, zero), top) : v; };
    for (long long b = 0; b < blocks; ++b) {
        const std::int16_t* block = rows + b * kBytes<V>;
        const auto low = V::ShiftRight(V::Sub(onRow(V::Load(block)), base), shift);
        const auto high = V::ShiftRight(V::Sub(onRow(V::Load(block + V::kWidth)), base), shift);
        V::StoreBytes(stage + b * kBytes<V>, V::PackBytes(low, high));
    }
}

// Counts values first .. first + kValueGroup - 1 of the staged blocks into `counts`.
template <class V>
void CountValues(const std::uint8_t* stage, long long blocks, int first, long long* counts) {
    typename V::T value[kValueGroup];
    typename V::T count[kValueGroup];
    for (int k = 0; k < kValueGroup; ++k) {
        value[k] = V::Set1Bytes(static_cast<std::uint8_t>(first + k));
        count[k] = V::Set1(0);
    }
    for (long long b = 0; b < blocks; ++b) {
        const auto v = V::LoadBytes(stage + b * kBytes<V>);
#pragma GCC unroll 8 // the counts stay in registers
        for (int k = 0; k < kValueGroup; ++k) {
            count[k] = V::SubBytes(count[k], V::EqualBytes(v, value[k]));
        }
    }
    for (int k = 0; k < kValueGroup; ++k) {
        counts[k] += V::SumBytes(count[k]);
    }
}

template <class V>
void CountByComparison(const std::int16_t* rows, long long count, RowSpan sampled, int shift,
                       std::uint32_t* bins) {
    const RowSpan span = ClampedSpan(sampled);
    const bool clamp = LeavesSurface(sampled);
    const int values = ((span.hi - span.lo) >> shift) + 1;
    alignas(32) std::uint8_t stage[kStageBytes<V>];
    long long tally[kCompareValues<V> + kValueGroup] = {};
    long long staged = 0;
    for (long long start = 0; start + kBytes<V> <= count; start += kStageBytes<V>) {
        const long long blocks = std::min<long long>(kStageBytes<V>, count - start) / kBytes<V>;
        StageValues<V>(rows + start, blocks, span.lo, shift, clamp, stage);
        for (int first = 0; first + 1 < values; first += kValueGroup) {
            CountValues<V>(stage, blocks, first, tally + first);
        }
        staged += blocks * kBytes<V>;
    }
    long long compared = 0;
    for (int d = 0; d + 1 < values; ++d) {
        bins[span.lo + (d << shift)] += static_cast<std::uint32_t>(tally[d]);
        compared += tally[d];
    }
    bins[span.hi] += static_cast<std::uint32_t>(staged - compared);
    ScalarCount(rows + staged, count - staged, sampled, bins);
}

// Wide columns are counted sample by sample, alternate samples in two tables so that a row
// repeated in neighbouring samples does not wait for its own count.
inline void CountBySamples(const std::int16_t* rows, long long count, RowSpan sampled,
                           std::uint32_t* bins) {
    const RowSpan span = ClampedSpan(sampled);
    std::uint32_t other[kSurfaceRows];
    std::fill(other + span.lo, other + span.hi + 1, 0u);
    const bool clamp = LeavesSurface(sampled);
    long long i = 0;
    for (; i + 2 <= count; i += 2) {
        ++bins[clamp ? ClampRow(rows[i]) : rows[i]];
        ++other[clamp ? ClampRow(rows[i + 1]) : rows[i + 1]];
    }
    ScalarCount(rows + i, count - i, sampled, bins);
    for (int r = span.lo; r <= span.hi; ++r) {
        bins[r] += other[r];
    }
}

template <class V>
RowSpan Count(const std::int16_t* rows, long long count, RowSpan sampled, std::uint32_t* bins) {
    const RowSpan span = ClampedSpan(sampled);
    const bool clamp = LeavesSurface(sampled);
    const int shift = clamp ? 0 : CommonShift<V>(rows, count);
    if (((span.hi - span.lo) >> shift) < kCompareValues<V>) {
        CountByComparison<V>(rows, count, sampled, shift, bins);
    } else {
        CountBySamples(rows, count, sampled, bins);
    }
    return span;
}

template <class V> constexpr ColumnKernel kKernel{ScaleBytes<V>, Span<V>, HighestLast<V>, Count<V>};
