// Digital persistence: the last 17 frames summed in an accumulation buffer. Each frame adds its
// strokes and, once the history is full, the oldest frame's strokes are taken out again, so a
// frame costs the same however long the history.
#include "canvas.h"
#include "tracekit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

using tracekit::TraceWindow;
using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
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

struct Add {
    static void Apply(std::uint32_t& cell, std::uint32_t amount) { cell += amount; }
};

// Takes out what Add put in; never below zero, should the weights have changed in between.
struct Remove {
    static void Apply(std::uint32_t& cell, std::uint32_t amount) {
        cell = cell > amount ? cell - amount : 0;
    }
};

class Accumulation {
public:
    Accumulation(std::uint32_t* grade, const Canvas& canvas, const Shades& shades)
        : grade_(grade), canvas_(canvas), shades_(shades) {}

    // Changes one cell by `amount` and repaints its pixel in the cell's averaged shade.
    template <class Change>
    void Touch(int row, int col, std::uint32_t amount, std::uint32_t divisor) const {
        std::uint32_t& cell = grade_[row * kColumns + col];
        Change::Apply(cell, amount);
        const std::uint32_t level = divisor == kFullDivisor ? cell >> 4 : cell / divisor;
        canvas_.Set(row, col,
                    shades_[static_cast<int>(std::min<std::uint32_t>(level, Shades::kTop))]);
    }

    void Dot(int row, int col) const {
        grade_[row * kColumns + col] += kDotWeight;
        canvas_.Set(row, col, shades_[kDotShade]);
    }

private:
    std::uint32_t* grade_;
    Canvas canvas_;
    const Shades& shades_;
};

// Walks one frame's columns, changing the cells every stroke covers.
template <class Change> class FrameWalk {
public:
    FrameWalk(const Accumulation& accumulation, std::uint32_t divisor)
        : acc_(accumulation), divisor_(divisor),
          gapWeight_(static_cast<std::uint32_t>(IntensityIndex())) {}

    void Walk(const std::int16_t* pairs, int firstCol, int lastCol) const {
        Stroke previous = Stroke::Of(pairs + 2 * firstCol);
        for (int col = firstCol; col <= lastCol; ++col) {
            const Stroke stroke = Stroke::Of(pairs + 2 * col);
            if (std::abs(stroke.mid - previous.mid) > kJump) {
                Jump(stroke, previous, col);
            } else if (stroke.Overlaps(previous)) {
                Ramp(stroke, col);
            } else {
                Bridge(stroke, previous, col);
            }
            previous = stroke;
        }
    }

private:
    void Touch(int row, int col, std::uint32_t amount) const {
        acc_.template Touch<Change>(row, col, amount, divisor_);
    }

    // Brightest at the middle of the stroke, fading toward both ends.
    void Ramp(const Stroke& s, int col) const {
        const std::int32_t a = Reciprocal(s.hi - s.mid);
        for (int row = s.mid, k = 0; row >= s.lo; --row, ++k) {
            Touch(row, col, static_cast<std::uint32_t>(128 - ((a * k) >> 8)));
        }
        for (int row = s.mid + 1, k = 1; row <= s.hi; ++row, ++k) {
            Touch(row, col, static_cast<std::uint32_t>(128 - ((a * k) >> 8)));
        }
    }

    // A stroke clear of the previous one: stretched to meet it, the intensity spread thinly.
    void Bridge(const Stroke& s, const Stroke& previous, int col) const {
        const std::uint32_t amount = gapWeight_ / static_cast<std::uint32_t>(s.hi - s.lo + 1);
        const int from = s.lo > previous.hi ? previous.hi + 1 : s.lo;
        const int to = s.lo > previous.hi ? s.hi : previous.lo - 1;
        for (int row = from; row <= to; ++row) {
            Touch(row, col, amount);
        }
    }

    // A jump: the faintest run from the previous middle to this one.
    void Jump(const Stroke& s, const Stroke& previous, int col) const {
        const int step = s.mid > previous.mid ? 1 : -1;
        for (int row = previous.mid + step; row != s.mid + step; row += step) {
            Touch(row, col, 1);
        }
    }

    const Accumulation& acc_;
    std::uint32_t divisor_;
    std::uint32_t gapWeight_;
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

void PlotDXO(const std::int16_t* history, std::uint32_t* surface, const std::uint32_t* table,
             int pitch, std::uint32_t* grade, int /*ignored*/, int frameCounter, int fillCounter,
             int stride, const TraceWindow* window, int style) {
    if (!ValidArguments(history, surface, table, pitch, grade, frameCounter, fillCounter, stride,
                        window)) {
        return;
    }
    const Shades shades(table);
    const Accumulation accumulation(grade, Canvas(surface, pitch), shades);
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
        FrameWalk<Add>(accumulation, static_cast<std::uint32_t>(fillCounter))
            .Walk(newest, first, last);
        return;
    }
    const std::int16_t* oldest = frame((frameCounter + 1) % kFullHistory);
    FrameWalk<Remove>(accumulation, kFullDivisor).Walk(oldest, first, last);
    FrameWalk<Add>(accumulation, kFullDivisor).Walk(newest, first, last);
}
