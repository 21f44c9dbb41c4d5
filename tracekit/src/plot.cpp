// Live plots: vectors, dots and X-Y.
#include "canvas.h"
#include "tracekit.h"

#include <algorithm>
#include <cstdint>

using tracekit::detail::Canvas;
using tracekit::detail::ClampRow;
using tracekit::detail::ValidColumns;

void PlotVect(const std::int16_t* pairs, std::uint32_t* surface, std::uint32_t color, int pitch,
              int firstCol, int lastCol) {
    if (pairs == nullptr || !Canvas::Accepts(surface, pitch) || !ValidColumns(firstCol, lastCol)) {
        return;
    }
    const Canvas canvas(surface, pitch);
    int leave = ClampRow(pairs[2 * firstCol + 1]);
    canvas.Run(firstCol, ClampRow(pairs[2 * firstCol]), leave, color);
    for (int c = firstCol + 1; c <= lastCol; ++c) {
        // The join from the previous column stops one row short of where this column starts,
        // and the column runs from where it starts to where it leaves: one run covers both.
        const int enter = ClampRow(pairs[2 * c]);
        const int previous = leave;
        leave = ClampRow(pairs[2 * c + 1]);
        int lo = std::min(enter, leave);
        int hi = std::max(enter, leave);
        if (previous < enter) {
            lo = std::min(lo, previous);
        } else if (previous > enter) {
            hi = std::max(hi, previous - 1);
        }
        canvas.Run(c, lo, hi, color);
    }
}

void OxPlotDot(const std::int16_t* pairs, std::uint32_t* surface, const std::uint32_t* color,
               int pitch, int /*ignored1*/, int /*ignored2*/, int firstCol, int endCol) {
    if (pairs == nullptr || color == nullptr || !Canvas::Accepts(surface, pitch) ||
        !ValidColumns(firstCol, endCol - 1)) {
        return;
    }
    const Canvas canvas(surface, pitch);
    for (int c = firstCol; c < endCol; ++c) {
        canvas.Set(ClampRow(pairs[2 * c]), c, *color);
        canvas.Set(ClampRow(pairs[2 * c + 1]), c, *color);
    }
}

void PlotXY(const std::int16_t* x, const std::int16_t* y, int count, std::uint32_t* surface,
            int pitch, int width, int height, std::uint32_t color) {
    if (x == nullptr || y == nullptr || count <= 0 || !Canvas::Accepts(surface, pitch) ||
        width <= 0 || width > tracekit::kColumns) {
        return;
    }
    const Canvas canvas(surface, pitch);
    const auto column = [&](int i) {
        return std::clamp(width / 2 - x[i] + 250, width / 14, 13 * width / 14);
    };
    const auto row = [&](int i) { return ClampRow(height / 2 + y[i] - 200); };

    int previousColumn = column(0);
    int previousRow = row(0);
    canvas.Set(previousRow, previousColumn, color);
    for (int i = 1; i <= count - 2; ++i) {
        const int c = column(i);
        const int r = row(i);
        canvas.Set((previousRow + r) / 2, (previousColumn + c) / 2, color);
        canvas.Set(r, c, color);
        previousColumn = c;
        previousRow = r;
    }
}
