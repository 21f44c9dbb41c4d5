// The stopped-record plot: a whole record through its trace window. Sparse windows (at most two
// samples a column) are drawn as plain strokes; dense ones show how many samples fall on each
// row of each column.
#include "canvas.h"
#include "tracekit.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {

using tracekit::TraceWindow;
using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
using tracekit::detail::EvenSplit;
using tracekit::detail::IntensityIndex;
using tracekit::detail::Shades;
using tracekit::detail::ValidColumns;

constexpr int kRows = tracekit::kSurfaceRows;

bool ValidWindow(const TraceWindow& w) {
    return w.nFirstSample >= 0 && w.nLastSample >= w.nFirstSample &&
           ValidColumns(w.nFirstCol, w.nLastCol) && ValidColumns(w.nFirstDrawCol, w.nLastDrawCol);
}

class StopView {
public:
    StopView(const std::int16_t* rows, const Canvas& canvas, const std::uint32_t* table,
             const TraceWindow& w)
        : rows_(rows + w.nFirstSample), canvas_(canvas), shades_(table), window_(w),
          samples_(static_cast<long long>(w.nLastSample) - w.nFirstSample + 1),
          columns_(w.nLastCol - w.nFirstCol + 1) {}

    bool Dense() const { return 2 * columns_ < samples_; }
    long long Samples() const { return samples_; }
    int Columns() const { return static_cast<int>(columns_); }
    int FirstCol() const { return window_.nFirstCol; }
    int Row(long long sample) const { return ClampRow(rows_[sample]); }
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
        for (const long long end = sample + n; sample < end; ++sample) {
            ++counts[view.Row(sample)];
        }
        const int col = view.FirstCol() + j;
        for (int r = 0; r < kRows; ++r) {
            if (counts[r] != 0) {
                view.Set(r, col, view.Shade(static_cast<int>(counts[r] * 128 / n)));
                counts[r] = 0;
            }
        }
    }
}

// Per column: the row of its first and last sample and the count of samples on every row.
class DensityTable {
public:
    static constexpr int kStride = 2 + kRows;

    explicit DensityTable(int columns)
        : cells_(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(columns) * kStride]()) {}

    bool Allocated() const { return cells_ != nullptr; }
    std::uint32_t* Column(int j) const { return cells_.get() + static_cast<std::size_t>(j) * kStride; }
    static int FirstRow(const std::uint32_t* column) { return static_cast<int>(column[0]); }
    static int LastRow(const std::uint32_t* column) { return static_cast<int>(column[1]); }
    static const std::uint32_t* Counts(const std::uint32_t* column) { return column + 2; }
    static std::uint32_t* Counts(std::uint32_t* column) { return column + 2; }

private:
    std::unique_ptr<std::uint32_t[]> cells_;
};

class DenseVectorPlot {
public:
    DenseVectorPlot(const StopView& view, const DensityTable& table)
        : view_(view), table_(table), perColumn_(view.Samples() / view.Columns()) {}

    void Count() const {
        EvenSplit split(view_.Samples(), view_.Columns());
        long long sample = 0;
        for (int j = 0; j < view_.Columns(); ++j) {
            std::uint32_t* column = table_.Column(j);
            std::uint32_t* counts = DensityTable::Counts(column);
            const long long end = sample + split.Next();
            column[0] = static_cast<std::uint32_t>(view_.Row(sample));
            column[1] = static_cast<std::uint32_t>(view_.Row(end - 1));
            for (; sample < end; ++sample) {
                ++counts[view_.Row(sample)];
            }
        }
    }

    // Joins the last row of each column to the first row of the next through their midpoint,
    // each half in the shade of the row it starts from.
    void JoinColumns() const {
        for (int j = 0; j + 1 < view_.Columns(); ++j) {
            const std::uint32_t* left = table_.Column(j);
            const std::uint32_t* right = table_.Column(j + 1);
            const int a = DensityTable::LastRow(left);
            const int b = DensityTable::FirstRow(right);
            const int col = view_.FirstCol() + j;
            const int mid = (a + b) / 2;
            view_.Run(col, a, mid, Shade(DensityTable::Counts(left)[a]));
            view_.Run(col + 1, mid == b ? b : mid + (b > mid ? 1 : -1), b,
                      Shade(DensityTable::Counts(right)[b]));
        }
    }

    // Within each column: the topmost non-empty row at full brightness, then every further
    // non-empty row joined to the one before through their midpoint.
    void FillColumns() const {
        for (int j = 0; j < view_.Columns(); ++j) {
            const std::uint32_t* counts = DensityTable::Counts(table_.Column(j));
            const int col = view_.FirstCol() + j;
            int previous = -1;
            for (int r = 0; r < kRows; ++r) {
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
    }

private:
    std::uint32_t Shade(std::uint32_t count) const {
        return view_.Shade(static_cast<int>(std::min<long long>(count * 128LL / perColumn_, Shades::kTop)));
    }

    const StopView& view_;
    const DensityTable& table_;
    long long perColumn_;
};

void DenseVectors(const StopView& view) {
    const DensityTable table(view.Columns());
    if (!table.Allocated()) {
        return;
    }
    const DenseVectorPlot plot(view, table);
    plot.Count();
    plot.JoinColumns();
    plot.FillColumns();
}

} // namespace

void PlotStop(const std::int16_t* rows, std::uint32_t* surface, std::int16_t* scratch,
              const std::uint32_t* table, int pitch, const TraceWindow* window, int style) {
    if (rows == nullptr || scratch == nullptr || table == nullptr || window == nullptr ||
        !Canvas::Accepts(surface, pitch)) {
        return;
    }
    std::fill_n(scratch, tracekit::kStopScratchValues, std::int16_t{0});
    if (!ValidWindow(*window)) {
        return;
    }
    const StopView view(rows, Canvas(surface, pitch), table, *window);
    if (style != tracekit::kStyleVectors) {
        view.Dense() ? DenseDots(view) : SparseDots(view);
    } else if (view.Dense()) {
        DenseVectors(view);
    } else {
        WaveZoom(rows, scratch, window->nFirstSample, window->nLastSample,
                 static_cast<std::int16_t>(window->nFirstCol),
                 static_cast<std::int16_t>(window->nLastCol), tracekit::kColumns);
        PlotVect(scratch, surface, view.Plain(), pitch, window->nFirstDrawCol,
                 window->nLastDrawCol);
    }
}
