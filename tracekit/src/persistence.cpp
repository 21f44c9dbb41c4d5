// Digital persistence: the last 17 frames summed in an accumulation buffer. Each frame adds its
// strokes and, once the history is full, the oldest frame's strokes are taken out again, so a
// frame costs the same however long the history. A frame's columns are planned first (four at
// a time on x86-64), then each column's run of cells is walked.
#include "canvas.h"
#include "persistence_plan.h"
#include "tracekit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

namespace {

using tracekit::TraceWindow;
using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
using tracekit::detail::ColumnRuns;
using tracekit::detail::IntensityIndex;
using tracekit::detail::Shades;
using tracekit::detail::ValidColumns;

constexpr int kColumns = tracekit::kColumns;
constexpr int kFullHistory = tracekit::kHistoryFrames;
constexpr int kFullDivisor = 16; // frames a cell is averaged over once the history is full
constexpr int kJump = 20;        // rows between stroke middles that count as a jump
constexpr std::uint32_t kDotWeight = 8;
constexpr int kDotShade = 16;

// r(n) = floor(32768 / (n + 1) + 0.5) for n = 0..540, 50 otherwise.
constexpr int kReciprocals = 541;
constexpr std::array<std::int32_t, kReciprocals> kReciprocal = [] {
    std::array<std::int32_t, kReciprocals> table{};
    for (int n = 0; n < kReciprocals; ++n) {
        table[n] = (2 * 32768 + (n + 1)) / (2 * (n + 1));
    }
    return table;
}();

std::int32_t Reciprocal(int n) {
    return n >= 0 && n < kReciprocals ? kReciprocal[n] : 50;
}

// The rows one column's pair covers.
struct Stroke {
    int lo, hi, mid;

    static Stroke Of(const std::int16_t* pair) {
        const int a = ClampRow(pair[0]);
        const int b = ClampRow(pair[1]);
        const int lo = std::min(a, b);
        const int hi = std::max(a, b);
        return {lo, hi, (lo + hi) / 2};
    }
    bool Overlaps(const Stroke& other) const { return lo <= other.hi && hi >= other.lo; }
};

// Plans column `col` against the column before it (column `first` against itself).
void PlanColumn(const std::int16_t* pairs, int first, int col, std::int32_t gapWeight,
                ColumnRuns& runs) {
    const Stroke s = Stroke::Of(pairs + 2 * col);
    const Stroke previous = Stroke::Of(pairs + 2 * (col > first ? col - 1 : col));
    const auto set = [&](int from, int to, std::int32_t slope, std::int32_t base) {
        runs.from[col] = from;
        runs.to[col] = to;
        runs.mid[col] = s.mid;
        runs.slope[col] = slope;
        runs.base[col] = base;
    };
    if (std::abs(s.mid - previous.mid) > kJump) {
        // A jump: the faintest run from the row after the previous middle to this one.
        const bool down = s.mid > previous.mid;
        set(down ? previous.mid + 1 : s.mid, down ? s.mid : previous.mid - 1, 0, 1);
    } else if (s.Overlaps(previous)) {
        // Brightest at the middle of the stroke, fading toward both ends.
        set(s.lo, s.hi, Reciprocal(s.hi - s.mid), 128);
    } else {
        // A stroke clear of the previous one: stretched to meet it, the intensity spread
        // thinly.
        const bool below = s.lo > previous.hi;
        set(below ? previous.hi + 1 : s.lo, below ? s.hi : previous.lo - 1, 0,
            gapWeight / (s.hi - s.lo + 1));
    }
}

struct Add {
    static void Apply(std::uint32_t& cell, std::uint32_t amount) { cell += amount; }
#if defined(__SSE4_1__)
    static __m128i Apply4(__m128i cells, __m128i amounts) {
        return _mm_add_epi32(cells, amounts);
    }
#endif
};

// Takes out what Add put in; never below zero, should the weights have changed in between.
struct Remove {
    static void Apply(std::uint32_t& cell, std::uint32_t amount) {
        cell = cell > amount ? cell - amount : 0;
    }
#if defined(__SSE4_1__)
    static __m128i Apply4(__m128i cells, __m128i amounts) {
        return _mm_sub_epi32(cells, _mm_min_epu32(cells, amounts));
    }
#endif
};

// How a cell's sum is shown: averaged over the frames held (a shift once the history is full).
struct Sixteenths {
    std::uint32_t operator()(std::uint32_t cell) const { return cell / kFullDivisor; }
};
struct Averaged {
    std::uint32_t divisor;
    std::uint32_t operator()(std::uint32_t cell) const { return cell / divisor; }
};

class Accumulation {
public:
    Accumulation(std::uint32_t* grade, std::uint32_t* surface, int pitch, const Shades& shades)
        : grade_(grade), surface_(surface), pitch_(pitch / 4), shades_(shades) {}

    // Changes rows lo..hi of one column by amount(row) each and repaints their pixels in the
    // cells' averaged shades, walking down the column a cell at a time.
    template <class Change, class Level, class Amount>
    void Run(int col, int lo, int hi, Level level, Amount amount) const {
        std::uint32_t* cell = grade_ + static_cast<std::ptrdiff_t>(lo) * kColumns + col;
        std::uint32_t* pixel = surface_ + static_cast<std::ptrdiff_t>(lo) * pitch_ + col;
        for (int row = lo; row <= hi; ++row, cell += kColumns, pixel += pitch_) {
            Change::Apply(*cell, amount(row));
            *pixel = shades_[static_cast<int>(std::min<std::uint32_t>(level(*cell), Shades::kTop))];
        }
    }

    void Dot(int row, int col) const {
        grade_[row * kColumns + col] += kDotWeight;
        surface_[static_cast<std::ptrdiff_t>(row) * pitch_ + col] = shades_[kDotShade];
    }

    std::uint32_t* Cell(int row, int col) const {
        return grade_ + static_cast<std::ptrdiff_t>(row) * kColumns + col;
    }
    std::uint32_t* Pixel(int row, int col) const {
        return surface_ + static_cast<std::ptrdiff_t>(row) * pitch_ + col;
    }
    std::uint32_t Shade(int index) const { return shades_[index]; }

private:
    std::uint32_t* grade_;
    std::uint32_t* surface_;
    std::ptrdiff_t pitch_; // in pixels
    const Shades& shades_;
};

// Walks one frame's columns, changing the cells every stroke covers.
template <class Change, class Level> class FrameWalk {
public:
    FrameWalk(const Accumulation& accumulation, Level level)
        : acc_(accumulation), level_(level), gapWeight_(IntensityIndex()) {}

    void Walk(const std::int16_t* pairs, int firstCol, int lastCol) const {
        ColumnRuns runs;
        tracekit::detail::PlanColumns(pairs, firstCol, lastCol, gapWeight_, runs);
        int col = firstCol;
#if defined(__SSE4_1__)
        if constexpr (std::is_same_v<Level, Sixteenths>) {
            for (; col + 3 <= lastCol; col += 4) {
                WalkFour(runs, col);
            }
        }
#endif
        for (; col <= lastCol; ++col) {
            const std::int32_t mid = runs.mid[col];
            const std::int32_t slope = runs.slope[col];
            const std::int32_t base = runs.base[col];
            acc_.template Run<Change>(col, runs.from[col], runs.to[col], level_, [=](int row) {
                return static_cast<std::uint32_t>(base - ((slope * std::abs(row - mid)) >> 8));
            });
        }
    }

private:
#if defined(__SSE4_1__)
    // Columns col..col+3 side by side, down every row any of their runs covers; a lane outside
    // its own column's run changes nothing and keeps its pixel. The same arithmetic as Run.
    void WalkFour(const ColumnRuns& runs, int col) const {
        const auto lanes = [&](const std::int32_t* values) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + col));
        };
        const __m128i from = lanes(runs.from);
        const __m128i to = lanes(runs.to);
        const __m128i mid = lanes(runs.mid);
        const __m128i slope = lanes(runs.slope);
        const __m128i base = lanes(runs.base);
        const int top = *std::min_element(runs.from + col, runs.from + col + 4);
        const int bottom = *std::max_element(runs.to + col, runs.to + col + 4);
        const __m128i brightest = _mm_set1_epi32(Shades::kTop);
        for (int row = top; row <= bottom; ++row) {
            const __m128i r = _mm_set1_epi32(row);
            const __m128i inside = _mm_andnot_si128(
                _mm_or_si128(_mm_cmpgt_epi32(from, r), _mm_cmpgt_epi32(r, to)), _mm_set1_epi32(-1));
            const __m128i fade =
                _mm_srai_epi32(_mm_mullo_epi32(slope, _mm_abs_epi32(_mm_sub_epi32(r, mid))), 8);
            const __m128i amount = _mm_and_si128(_mm_sub_epi32(base, fade), inside);
            auto* cellAt = reinterpret_cast<__m128i*>(acc_.Cell(row, col));
            const __m128i cell = Change::Apply4(_mm_loadu_si128(cellAt), amount);
            _mm_storeu_si128(cellAt, cell);
            alignas(16) std::uint32_t index[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(index),
                            _mm_min_epu32(_mm_srli_epi32(cell, 4), brightest));
            const __m128i shade =
                _mm_setr_epi32(static_cast<int>(acc_.Shade(static_cast<int>(index[0]))),
                               static_cast<int>(acc_.Shade(static_cast<int>(index[1]))),
                               static_cast<int>(acc_.Shade(static_cast<int>(index[2]))),
                               static_cast<int>(acc_.Shade(static_cast<int>(index[3]))));
            auto* pixelAt = reinterpret_cast<__m128i*>(acc_.Pixel(row, col));
            _mm_storeu_si128(pixelAt, _mm_blendv_epi8(_mm_loadu_si128(pixelAt), shade, inside));
        }
    }
#endif

    const Accumulation& acc_;
    Level level_;
    std::int32_t gapWeight_;
};

bool ValidArguments(const std::int16_t* history, const std::uint32_t* surface,
                    const std::uint32_t* table, int pitch, const std::uint32_t* grade,
                    int frameCounter, int fillCounter, int stride, const TraceWindow* window) {
    return history != nullptr && table != nullptr && grade != nullptr && window != nullptr &&
           Canvas::Accepts(surface, pitch) && frameCounter >= 0 && frameCounter < kFullHistory &&
           fillCounter >= 1 && fillCounter <= kFullHistory && stride >= 2 * kColumns &&
           ValidColumns(window->nFirstDrawCol, window->nLastDrawCol);
}

} // namespace

namespace tracekit::detail {

void PlanColumnsScalar(const std::int16_t* pairs, int first, int last, std::int32_t gapWeight,
                       ColumnRuns& runs) {
    for (int col = first; col <= last; ++col) {
        PlanColumn(pairs, first, col, gapWeight, runs);
    }
}

#if defined(__SSE4_1__)
namespace {

// Four columns' strokes from their pairs (each pair one 32-bit lane, entry row in the low half).
struct Strokes {
    __m128i lo, hi, mid;

    explicit Strokes(__m128i pairs) {
        const __m128i top = _mm_set1_epi32(tracekit::kSurfaceRows - 1);
        const auto clamp = [&](__m128i row) {
            return _mm_min_epi32(_mm_max_epi32(row, _mm_setzero_si128()), top);
        };
        const __m128i enter = clamp(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
        const __m128i leave = clamp(_mm_srai_epi32(pairs, 16));
        lo = _mm_min_epi32(enter, leave);
        hi = _mm_max_epi32(enter, leave);
        mid = _mm_srli_epi32(_mm_add_epi32(lo, hi), 1);
    }
};

__m128i Select(__m128i when, __m128i yes, __m128i no) {
    return _mm_blendv_epi8(no, yes, when);
}

} // namespace

void PlanColumns(const std::int16_t* pairs, int first, int last, std::int32_t gapWeight,
                 ColumnRuns& runs) {
    const __m128i one = _mm_set1_epi32(1);
    const __m128 spread = _mm_set1_ps(static_cast<float>(gapWeight));
    int col = first;
    for (; col + 3 <= last; col += 4) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + 2 * col));
        const __m128i before =
            col > first ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + 2 * col - 2))
                        : _mm_shuffle_epi32(here, _MM_SHUFFLE(2, 1, 0, 0));
        const Strokes s(here);
        const Strokes p(before);
        const __m128i jump =
            _mm_cmpgt_epi32(_mm_abs_epi32(_mm_sub_epi32(s.mid, p.mid)), _mm_set1_epi32(kJump));
        const __m128i below = _mm_cmpgt_epi32(s.lo, p.hi);
        const __m128i above = _mm_cmpgt_epi32(p.lo, s.hi);
        const __m128i ramp =
            _mm_andnot_si128(_mm_or_si128(jump, _mm_or_si128(below, above)), _mm_set1_epi32(-1));
        const __m128i down = _mm_cmpgt_epi32(s.mid, p.mid);
        // Strokes clear of the one before: gapWeight / rows, exact in single precision for
        // weights below 128 and at most 510 rows.
        const __m128i rows = _mm_add_epi32(_mm_sub_epi32(s.hi, s.lo), one);
        const __m128i spreadBase = _mm_cvttps_epi32(_mm_div_ps(spread, _mm_cvtepi32_ps(rows)));
        const __m128i reach = _mm_sub_epi32(s.hi, s.mid);
        const __m128i slope = _mm_setr_epi32(
            Reciprocal(_mm_extract_epi32(reach, 0)), Reciprocal(_mm_extract_epi32(reach, 1)),
            Reciprocal(_mm_extract_epi32(reach, 2)), Reciprocal(_mm_extract_epi32(reach, 3)));

        const __m128i bridgeFrom = Select(below, _mm_add_epi32(p.hi, one), s.lo);
        const __m128i bridgeTo = Select(below, s.hi, _mm_sub_epi32(p.lo, one));
        const __m128i jumpFrom = Select(down, _mm_add_epi32(p.mid, one), s.mid);
        const __m128i jumpTo = Select(down, s.mid, _mm_sub_epi32(p.mid, one));
        const auto store = [col](std::int32_t* to, __m128i value) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + col), value);
        };
        store(runs.from, Select(jump, jumpFrom, Select(ramp, s.lo, bridgeFrom)));
        store(runs.to, Select(jump, jumpTo, Select(ramp, s.hi, bridgeTo)));
        store(runs.mid, s.mid);
        store(runs.slope, _mm_and_si128(ramp, slope));
        store(runs.base, Select(jump, one, Select(ramp, _mm_set1_epi32(128), spreadBase)));
    }
    for (; col <= last; ++col) {
        PlanColumn(pairs, first, col, gapWeight, runs);
    }
}
#else
void PlanColumns(const std::int16_t* pairs, int first, int last, std::int32_t gapWeight,
                 ColumnRuns& runs) {
    PlanColumnsScalar(pairs, first, last, gapWeight, runs);
}
#endif

} // namespace tracekit::detail

void PlotDXO(const std::int16_t* history, std::uint32_t* surface, const std::uint32_t* table,
             int pitch, std::uint32_t* grade, int /*ignored*/, int frameCounter, int fillCounter,
             int stride, const TraceWindow* window, int style) {
    if (!ValidArguments(history, surface, table, pitch, grade, frameCounter, fillCounter, stride,
                        window)) {
        return;
    }
    const Shades shades(table);
    const Accumulation accumulation(grade, surface, pitch, shades);
    const int first = window->nFirstDrawCol;
    const int last = window->nLastDrawCol;
    const auto frame = [&](int slot) {
        return history + static_cast<std::ptrdiff_t>(slot) * stride;
    };
    const std::int16_t* newest = frame(frameCounter);

    if (style != tracekit::kStyleVectors) {
        for (int col = first; col <= last; ++col) {
            accumulation.Dot(ClampRow(newest[2 * col]), col);
            accumulation.Dot(ClampRow(newest[2 * col + 1]), col);
        }
        return;
    }
    if (fillCounter < kFullHistory) {
        FrameWalk<Add, Averaged>(accumulation, {static_cast<std::uint32_t>(fillCounter)})
            .Walk(newest, first, last);
        return;
    }
    const std::int16_t* oldest = frame((frameCounter + 1) % kFullHistory);
    FrameWalk<Remove, Sixteenths>(accumulation, {}).Walk(oldest, first, last);
    FrameWalk<Add, Sixteenths>(accumulation, {}).Walk(newest, first, last);
}
