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
        : acc_(accumulation), level_(level),
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
    template <class Amount> void Run(int col, int lo, int hi, Amount amount) const {
        acc_.template Run<Change>(col, lo, hi, level_, amount);
    }

    // Brightest at the middle of the stroke, fading toward both ends.
    void Ramp(const Stroke& s, int col) const {
        const std::int32_t a = Reciprocal(s.hi - s.mid);
        Run(col, s.lo, s.hi, [a, mid = s.mid](int row) {
            return static_cast<std::uint32_t>(128 - ((a * std::abs(row - mid)) >> 8));
        });
    }

    // A stroke clear of the previous one: stretched to meet it, the intensity spread thinly.
    void Bridge(const Stroke& s, const Stroke& previous, int col) const {
        const std::uint32_t amount = gapWeight_ / static_cast<std::uint32_t>(s.hi - s.lo + 1);
        const int from = s.lo > previous.hi ? previous.hi + 1 : s.lo;
        const int to = s.lo > previous.hi ? s.hi : previous.lo - 1;
        Run(col, from, to, [amount](int) { return amount; });
    }

    // A jump: the faintest run from the row after the previous middle to this one.
    void Jump(const Stroke& s, const Stroke& previous, int col) const {
        const bool down = s.mid > previous.mid;
        Run(col, down ? previous.mid + 1 : s.mid, down ? s.mid : previous.mid - 1,
            [](int) { return std::uint32_t{1}; });
    }

    const Accumulation& acc_;
    Level level_;
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
