// Horizontal resampling: a window of samples onto screen columns as column pairs, and the
// stopped record's scaling and compression in one pass.
#include "byte_rows.h"
#include "canvas.h"
#include "column_kernel.h"
#include "tracekit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

using tracekit::detail::ColumnKernel;
using tracekit::detail::EvenSplit;
using tracekit::detail::RowSpan;

// Interpolated values wrap at the surface's row count.
constexpr std::int64_t kRowWrap = tracekit::kSurfaceRows;

template <class T> struct Window {
    const T* samples;
    T* pairs;
    int first, last; // samples
    int c0, c1;      // columns
    int width;

    long long Samples() const { return static_cast<long long>(last) - first + 1; }
    long long Columns() const { return c1 - c0 + 1; }
    bool Valid() const {
        return samples != nullptr && pairs != nullptr && Samples() > 0 && Columns() > 0 &&
               width > 0 && width <= tracekit::kColumns && first >= 0 && c0 >= 0 && c1 < width;
    }
    bool Compresses() const { return Samples() > 2 * Columns(); }
};

template <class T> void CopyStraight(const Window<T>& w) {
    std::copy(w.samples + w.first, w.samples + w.last + 1, w.pairs + 2 * w.c0);
}

// Each column takes its share of samples and keeps (min, max) in the order the two extremes
// were first reached, so the pair runs from where the trace enters to where it leaves.
// `column(sample, n, pair)` makes the pair of samples sample .. sample + n - 1.
template <class T, class Column> void EachColumn(const Window<T>& w, Column column) {
    EvenSplit split(w.Samples(), w.Columns());
    long long sample = w.first;
    for (int c = w.c0; c <= w.c1; ++c) {
        const long long n = split.Next();
        column(sample, n, w.pairs + 2 * c);
        sample += n;
    }
}

template <class T> void Compress(const Window<T>& w) {
    EachColumn(w, [&w](long long sample, long long n, T* pair) {
        T lowest = std::numeric_limits<T>::max();
        T highest = std::numeric_limits<T>::lowest();
        bool highestLast = false;
        for (const T* s = w.samples + sample; n > 0; --n, ++s) {
            if (*s < lowest) {
                lowest = *s;
                highestLast = false;
            }
            if (*s > highest) {
                highest = *s;
                highestLast = true;
            }
        }
        pair[0] = highestLast ? lowest : highest;
        pair[1] = highestLast ? highest : lowest;
    });
}

// 16-bit rows go through the column kernel.
void KernelPair(const ColumnKernel& kernel, const std::int16_t* rows, long long n,
                std::int16_t* pair) {
    const RowSpan span = kernel.span(rows, n);
    const bool highestLast = kernel.highestLast(rows, n, span);
    pair[0] = static_cast<std::int16_t>(highestLast ? span.lo : span.hi);
    pair[1] = static_cast<std::int16_t>(highestLast ? span.hi : span.lo);
}

void Compress(const Window<std::int16_t>& w) {
    const ColumnKernel& kernel = tracekit::detail::BestColumnKernel();
    EachColumn(w, [&](long long sample, long long n, std::int16_t* pair) {
        KernelPair(kernel, w.samples + sample, n, pair);
    });
}

// `count` slots from u toward w in 8.8 fixed point; flat when the ends are equal or either is 0.
template <class T> void Interpolate(T* out, long long count, std::int64_t u, std::int64_t w) {
    if (u == w || u == 0 || w == 0) {
        std::fill(out, out + count, static_cast<T>(u));
        return;
    }
    const std::int64_t step = (w * 256 - u * 256) / count;
    for (long long j = 0; j < count; ++j) {
        out[j] = static_cast<T>(((u * 256 + step * j) >> 8) % kRowWrap);
    }
}

// The 8.8 step of a ramp from one sample toward a neighbour at the window's slope.
std::int64_t RampStep(std::int64_t from, std::int64_t to, long long intervals, long long slots) {
    return (from > to ? from - to : to - from) * 256 * intervals / slots;
}

// The value `steps` steps of `step` (8.8) from `from` toward `to`, never past `to`.
std::int64_t Toward(std::int64_t from, std::int64_t to, std::int64_t step, long long steps) {
    const std::int64_t moved = (from * 256 + (to > from ? step : -step) * steps) >> 8;
    return to > from ? std::min(moved, to) : std::max(moved, to);
}

template <class T> void Expand(const Window<T>& w) {
    if (w.Samples() == 1) {
        std::fill(w.pairs, w.pairs + 2 * w.width, w.samples[w.first]);
        return;
    }
    const long long slots = 2 * w.Columns();
    const long long intervals = w.Samples() - 1;
    const T* s = w.samples + w.first;
    for (long long k = 0; k < intervals; ++k) {
        const long long from = 2 * w.c0 + k * slots / intervals;
        const long long to = 2 * w.c0 + (k + 1) * slots / intervals;
        Interpolate(w.pairs + from, to - from, s[k], s[k + 1]);
    }

    // Outside the window the trace ramps toward the neighbouring samples at the window's slope:
    // per column on the left (both values alike), per slot on the right.
    if (w.c0 > 0 && w.first > 0) {
        const std::int64_t step = RampStep(s[0], s[-1], intervals, slots);
        for (int c = w.c0 - 1, j = 1; c >= 0; --c, ++j) {
            const T value = static_cast<T>(Toward(s[0], s[-1], step, j));
            w.pairs[2 * c] = value;
            w.pairs[2 * c + 1] = value;
        }
    }
    if (w.c1 < w.width - 1) {
        const std::int64_t step = RampStep(s[intervals], s[intervals + 1], intervals, slots);
        for (long long slot = 2LL * w.c1 + 2, j = 0; slot < 2LL * w.width; ++slot, ++j) {
            w.pairs[slot] = static_cast<T>(Toward(s[intervals], s[intervals + 1], step, j));
        }
    }
}

template <class T>
void Resample(const T* samples, T* pairs, int first, int last, int c0, int c1, int width) {
    const Window<T> w{samples, pairs, first, last, c0, c1, width};
    if (!w.Valid()) {
        return;
    }
    if (w.Samples() == 2 * w.Columns()) {
        CopyStraight(w);
    } else if (w.Compresses()) {
        Compress(w);
    } else {
        Expand(w);
    }
}

} // namespace

void WaveZoom(const std::uint8_t* samples, std::uint8_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width) {
    Resample(samples, pairs, first, last, firstCol, lastCol, width);
}

void WaveZoom(const std::int16_t* samples, std::int16_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width) {
    Resample(samples, pairs, first, last, firstCol, lastCol, width);
}

void WaveZoom(const std::int32_t* samples, std::int32_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width) {
    Resample(samples, pairs, first, last, firstCol, lastCol, width);
}

bool tracekit::ScaleAndCompress(const std::uint8_t* samples, std::int16_t* rows, int a, int count,
                                float b, float c, float d, float e, std::int16_t* pairs, int first,
                                int last, std::int16_t firstCol, std::int16_t lastCol, int width) {
    const Window<std::int16_t> w{rows, pairs, first, last, firstCol, lastCol, width};
    if (samples == nullptr || !w.Valid() || !w.Compresses() || last >= count) {
        return false;
    }
    const auto scale = tracekit::detail::ByteRows::For(a, b, c, d, e);
    if (!scale) {
        return false;
    }
    // Each column's rows are compressed while they are still in the cache.
    const ColumnKernel& kernel = tracekit::detail::BestColumnKernel();
    scale->Scale(kernel, samples, rows, first);
    EachColumn(w, [&](long long sample, long long n, std::int16_t* pair) {
        scale->Scale(kernel, samples + sample, rows + sample, n);
        KernelPair(kernel, rows + sample, n, pair);
    });
    scale->Scale(kernel, samples + last + 1, rows + last + 1, count - 1 - last);
    return true;
}
