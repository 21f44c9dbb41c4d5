// The stopped-record plot: a whole record through its trace window. Sparse windows (at most two
// samples a column) are drawn as plain strokes; dense ones show how many samples fall on each
// row of each column.
#include "canvas.h"
#include "column_kernel.h"
#include "shade_share.h"
#include "tracekit.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {

using tracekit::TraceWindow;
using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
using tracekit::detail::ColumnKernel;
using tracekit::detail::EvenSplit;
using tracekit::detail::IntensityIndex;
using tracekit::detail::RowSpan;
using tracekit::detail::Shades;
using tracekit::detail::ShadeShare;
using tracekit::detail::ValidColumns;

constexpr int kRows = tracekit::kSurfaceRows;

bool ValidWindow(const TraceWindow& w) {
    return w.nFirstSample >= 0 && w.nLastSample >= w.nFirstSample &&
           ValidColumns(w.nFirstCol, w.nLastCol) && ValidColumns(w.nFirstDrawCol, w.nLastDrawCol);
}

class StopView {
public:
    StopView(const ColumnKernel& kernel, const std::int16_t* rows, const Canvas& canvas,
             const std::uint32_t* table, const TraceWindow& w)
        : kernel_(kernel), rows_(rows + w.nFirstSample), canvas_(canvas), shades_(table),
          window_(w), samples_(static_cast<long long>(w.nLastSample) - w.nFirstSample + 1),
          columns_(w.nLastCol - w.nFirstCol + 1) {}

    bool Dense() const { return 2 * columns_ < samples_; }
    long long Samples() const { return samples_; }
    int Columns() const { return static_cast<int>(columns_); }
    int FirstCol() const { return window_.nFirstCol; }
    int Row(long long sample) const { return ClampRow(rows_[sample]); }
    // Counts samples sample .. sample + n - 1 into per-row bins; returns the span of bins touched.
    RowSpan Count(long long sample, long long n, std::uint32_t* bins) const {
        const std::int16_t* rows = rows_ + sample;
        return kernel_.count(rows, n, kernel_.span(rows, n), bins);
    }
    std::uint32_t Shade(int index) const { return shades_[index]; }
    std::uint32_t Plain() const { return shades_[IntensityIndex()]; }

    bool Drawn(long long col) const {
        return col >= window_.nFirstDrawCol && col <= window_.nLastDrawCol;
    }
    void Set(int row, long long col, std::uint32_t color) const {
        if (Drawn(col)) {
            canvas_.Set(row, static_cast<int>(col), color);
        }
    }
    void Run(int col, int r0, int r1, std::uint32_t color) const {
        if (Drawn(col)) {
            canvas_.Run(col, r0, r1, color);
        }
    }

private:
    const ColumnKernel& kernel_;
    const std::int16_t* rows_;
    Canvas canvas_;
    Shades shades_;
    const TraceWindow& window_;
    long long samples_;
    long long columns_;
};

// One pixel per sample, the columns spread evenly over the window.
void SparseDots(const StopView& view) {
    const std::uint32_t color = view.Plain();
    if (view.Samples() == 1) {
        view.Set(view.Row(0), view.FirstCol(), color);
        return;
    }
    EvenSplit advance(view.Columns(), view.Samples() - 1);
    long long col = view.FirstCol();
    for (long long k = 0; k < view.Samples(); ++k, col += advance.Next()) {
        view.Set(view.Row(k), col, color);
    }
}

// Every non-empty row of a column in a shade of how many of the column's samples it holds.
void DenseDots(const StopView& view) {
    std::uint32_t counts[kRows] = {};
    EvenSplit split(view.Samples(), view.Columns());
    long long sample = 0;
    for (int j = 0; j < view.Columns(); ++j) {
        const long long n = split.Next();
        const RowSpan span = view.Count(sample, n, counts);
        sample += n;
        const int col = view.FirstCol() + j;
        const ShadeShare share(n);
        for (int r = span.lo; r <= span.hi; ++r) {
            if (counts[r] != 0) {
                view.Set(r, col, view.Shade(static_cast<int>(share(counts[r]))));
                counts[r] = 0;
            }
        }
    }
}

// Counters of a column: the rows of its first and last sample, the span of its rows and the
// count of samples on every row. Columns are counted, joined to the one before and filled in
// turn, so the table allocated for the call holds two: the column being counted and the one
// before it.
class ColumnCounters {
public:
    static constexpr int kStride = 4 + kRows;

    ColumnCounters() : cells_(new (std::nothrow) std::uint32_t[2 * kStride]()) {}

    bool Allocated() const { return cells_ != nullptr; }
    std::uint32_t* Column(int j) const { return cells_.get() + (j % 2) * kStride; }

    static int FirstRow(const std::uint32_t* column) { return static_cast<int>(column[0]); }
    static int LastRow(const std::uint32_t* column) { return static_cast<int>(column[1]); }
    static RowSpan Span(const std::uint32_t* column) {
        return {static_cast<int>(column[2]), static_cast<int>(column[3])};
    }
    static const std::uint32_t* Counts(const std::uint32_t* column) { return column + 4; }

    static void Count(std::uint32_t* column, const StopView& view, long long sample, long long n) {
        column[0] = static_cast<std::uint32_t>(view.Row(sample));
        column[1] = static_cast<std::uint32_t>(view.Row(sample + n - 1));
        const RowSpan span = view.Count(sample, n, column + 4);
        column[2] = static_cast<std::uint32_t>(span.lo);
        column[3] = static_cast<std::uint32_t>(span.hi);
    }
    static void Clear(std::uint32_t* column) {
        const RowSpan span = Span(column);
        std::fill(column + 4 + span.lo, column + 4 + span.hi + 1, 0u);
    }

private:
    std::unique_ptr<std::uint32_t[]> cells_;
};

// Every join that touches a column is drawn before the column's own rows, which lie on top.
class DenseVectorPlot {
public:
    DenseVectorPlot(const StopView& view, const ColumnCounters& counters)
        : view_(view), counters_(counters), share_(view.Samples() / view.Columns()) {}

    void Draw() const {
        EvenSplit split(view_.Samples(), view_.Columns());
        long long sample = 0;
        for (int j = 0; j < view_.Columns(); ++j) {
            const long long n = split.Next();
            ColumnCounters::Count(counters_.Column(j), view_, sample, n);
            sample += n;
            if (j > 0) {
                Join(j - 1);
                FillColumn(j - 1);
                ColumnCounters::Clear(counters_.Column(j - 1));
            }
        }
        FillColumn(view_.Columns() - 1);
    }

private:
    // The last row of column j and the first row of column j + 1 joined through their midpoint,
    // each half in the shade of the row it starts from.
    void Join(int j) const {
        const std::uint32_t* left = counters_.Column(j);
        const std::uint32_t* right = counters_.Column(j + 1);
        const int a = ColumnCounters::LastRow(left);
        const int b = ColumnCounters::FirstRow(right);
        const int col = view_.FirstCol() + j;
        const int mid = (a + b) / 2;
        view_.Run(col, a, mid, Shade(ColumnCounters::Counts(left)[a]));
        view_.Run(col + 1, mid == b ? b : mid + (b > mid ? 1 : -1), b,
                  Shade(ColumnCounters::Counts(right)[b]));
    }

    // The topmost non-empty row at full brightness, then every further non-empty row joined to
    // the one before through their midpoint.
    void FillColumn(int j) const {
        const std::uint32_t* column = counters_.Column(j);
        const std::uint32_t* counts = ColumnCounters::Counts(column);
        const RowSpan span = ColumnCounters::Span(column);
        const int col = view_.FirstCol() + j;
        int previous = -1;
        for (int r = span.lo; r <= span.hi; ++r) {
            if (counts[r] == 0) {
                continue;
            }
            if (previous < 0) {
                view_.Set(r, col, view_.Shade(Shades::kTop));
            } else {
                const int mid = (previous + r) / 2;
                if (mid > previous) {
                    view_.Run(col, previous + 1, mid, Shade(counts[previous]));
                }
                view_.Run(col, mid + 1, r, Shade(counts[r]));
            }
            previous = r;
        }
    }

    std::uint32_t Shade(std::uint32_t count) const {
        return view_.Shade(static_cast<int>(std::min<long long>(share_(count), Shades::kTop)));
    }

    const StopView& view_;
    const ColumnCounters& counters_;
    ShadeShare share_; // of the samples a column holds at least
};

void DenseVectors(const StopView& view) {
    const ColumnCounters counters;
    if (counters.Allocated()) {
        DenseVectorPlot(view, counters).Draw();
    }
}

} // namespace

void tracekit::detail::PlotStopWith(const ColumnKernel& kernel, const std::int16_t* rows,
                                    std::uint32_t* surface, std::int16_t* scratch,
                                    const std::uint32_t* table, int pitch,
                                    const TraceWindow* window, int style) {
    if (rows == nullptr || scratch == nullptr || table == nullptr || window == nullptr ||
        !Canvas::Accepts(surface, pitch)) {
        return;
    }
    std::fill_n(scratch, tracekit::kStopScratchValues, std::int16_t{0});
    if (!ValidWindow(*window)) {
        return;
    }
    const StopView view(kernel, rows, Canvas(surface, pitch), table, *window);
    if (style != tracekit::kStyleVectors) {
        view.Dense() ? DenseDots(view) : SparseDots(view);
    } else if (view.Dense()) {
        DenseVectors(view);
    } else {
        // Resampled only as wide as anything is drawn: a window that ends at the record's last
        // sample and at the last drawn column then never reads past the record.
        const int width = std::max(window->nLastCol, window->nLastDrawCol) + 1;
        WaveZoom(rows, scratch, window->nFirstSample, window->nLastSample,
                 static_cast<std::int16_t>(window->nFirstCol),
                 static_cast<std::int16_t>(window->nLastCol), width);
        PlotVect(scratch, surface, view.Plain(), pitch, window->nFirstDrawCol,
                 window->nLastDrawCol);
    }
}

void PlotStop(const std::int16_t* rows, std::uint32_t* surface, std::int16_t* scratch,
              const std::uint32_t* table, int pitch, const TraceWindow* window, int style) {
    tracekit::detail::PlotStopWith(tracekit::detail::BestColumnKernel(), rows, surface, scratch,
                                   table, pitch, window, style);
}
