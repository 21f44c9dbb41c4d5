// The column kernel for one vector width. Included (inside an unnamed namespace) by each
// kernel's source file, which supplies the vector type V of kWidth 16-bit lanes: T, Load,
// Widen (kWidth bytes to 16 bits each), Store, Set1, Min, Max, Add, Sub, MulLo (the low
// 16 bits of the product), Equal (all ones where equal), Or and Mask
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

// Counting by comparison: the rows of a column become bytes d = row - lo, staged a part at a
// time. When every d of a part is a multiple of 1 << shift (rows scaled two to a sample step skip
// every other row), each multiple but the last takes one compare and one subtract per block of
// kBytes bytes, the last one holding the bytes left over. Narrow parts count faster so than
// sample by sample.
template <class V> constexpr int kBytes = 2 * V::kWidth;
template <class V> constexpr int kStageBytes = 255 * kBytes<V>; // byte counters never wrap
// Up to about 1.25 values a byte lane, comparing costs less than counting sample by sample.
template <class V> constexpr int kCompareValues = kBytes<V> + kBytes<V> / 4;
constexpr int kValueGroup = 4;    // values compared in one sweep
constexpr int kByteOffsets = 256; // offsets d a byte holds

// Offsets d of blocks of rows (on the surface) into `stage`, kBytes per block; returns the
// bits set in any of them.
template <class V>
unsigned StageOffsets(const std::int16_t* rows, long long blocks, int lo, bool clamp,
                      std::uint8_t* stage) {
    const auto base = V::Set1(static_cast<std::int16_t>(lo));
    const auto zero = V::Set1(0);
    const auto top = V::Set1(static_cast<std::int16_t>(kSurfaceRows - 1));
    const auto onSurface = [&](typename V::T v) {
        return clamp ? V::Min(V::Max(v, zero), top) : v;
    };
    auto bits = zero;
    for (long long b = 0; b < blocks; ++b) {
        const std::int16_t* block = rows + b * kBytes<V>;
        const auto low = V::Sub(onSurface(V::Load(block)), base);
        const auto high = V::Sub(onSurface(V::Load(block + V::kWidth)), base);
        const auto offsets = V::PackBytes(low, high);
        bits = V::Or(bits, offsets);
        V::StoreBytes(stage + b * kBytes<V>, offsets);
    }
    unsigned set = 0;
    for (const std::int16_t lane : LanesOf<V>(bits)) {
        set |= static_cast<std::uint16_t>(lane);
    }
    return (set | set >> 8) & 0xFF;
}

// Counts offsets (first + k) << shift, k = 0 .. kValueGroup - 1, of the staged blocks into
// `counts`.
template <class V>
void CountOffsets(const std::uint8_t* stage, long long blocks, int first, int shift,
                  long long* counts) {
    const auto offset = [&](int k) {
        return V::Set1Bytes(static_cast<std::uint8_t>((first + k) << shift));
    };
    const auto o0 = offset(0);
    const auto o1 = offset(1);
    const auto o2 = offset(2);
    const auto o3 = offset(3);
    auto c0 = V::Set1(0);
    auto c1 = c0;
    auto c2 = c0;
    auto c3 = c0;
    for (long long b = 0; b < blocks; ++b) {
        const auto v = V::LoadBytes(stage + b * kBytes<V>);
        c0 = V::SubBytes(c0, V::EqualBytes(v, o0));
        c1 = V::SubBytes(c1, V::EqualBytes(v, o1));
        c2 = V::SubBytes(c2, V::EqualBytes(v, o2));
        c3 = V::SubBytes(c3, V::EqualBytes(v, o3));
    }
    counts[0] += V::SumBytes(c0);
    counts[1] += V::SumBytes(c1);
    counts[2] += V::SumBytes(c2);
    counts[3] += V::SumBytes(c3);
}

// Counts staged offsets 0 .. width by comparison into tally[d]; false when they are too many.
template <class V>
bool CountStaged(const std::uint8_t* stage, long long blocks, unsigned bits, int width,
                 long long* tally) {
    const int shift = std::countr_zero(bits | kByteOffsets);
    const int last = width >> shift; // the multiples of 1 << shift are 0 .. last
    if (last > kCompareValues<V>) {
        return false;
    }
    long long compared = 0;
    for (int first = 0; first < last; first += kValueGroup) {
        long long counts[kValueGroup] = {};
        CountOffsets<V>(stage, blocks, first, shift, counts);
        for (int k = 0; k < kValueGroup && first + k < last; ++k) {
            tally[(first + k) << shift] += counts[k];
            compared += counts[k];
        }
    }
    tally[last << shift] += blocks * kBytes<V> - compared;
    return true;
}

// Columns that may have few enough offsets are staged and compared part by part; parts with too
// many offsets, and wider columns, are counted sample by sample.
template <class V>
RowSpan Count(const std::int16_t* rows, long long count, RowSpan sampled, std::uint32_t* bins) {
    const RowSpan span = ClampedSpan(sampled);
    const int width = span.hi - span.lo;
    if ((width >> 1) > kCompareValues<V>) { // too many even with rows two apart
        ScalarCount(rows, count, sampled, bins);
        return span;
    }
    alignas(32) std::uint8_t stage[kStageBytes<V>];
    long long tally[kByteOffsets];
    std::fill(tally, tally + width + 1, 0);
    long long staged = 0;
    for (long long blocks;
         (blocks = std::min<long long>(kStageBytes<V>, count - staged) / kBytes<V>) > 0;
         staged += blocks * kBytes<V>) {
        const std::int16_t* part = rows + staged;
        const unsigned bits = StageOffsets<V>(part, blocks, span.lo, LeavesSurface(sampled), stage);
        if (!CountStaged<V>(stage, blocks, bits, width, tally)) {
            ScalarCount(part, blocks * kBytes<V>, sampled, bins);
        }
    }
    for (int d = 0; d <= width; ++d) {
        bins[span.lo + d] += static_cast<std::uint32_t>(tally[d]);
    }
    ScalarCount(rows + staged, count - staged, sampled, bins);
    return span;
}

template <class V> constexpr ColumnKernel kKernel{ScaleBytes<V>, Span<V>, HighestLast<V>, Count<V>};
