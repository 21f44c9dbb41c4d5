// Logic-analyzer traces and the resampling of 16-bit samples onto screen slots
// (700 columns of two slots each).
#include "canvas.h"
#include "oxgdi.h"

#include <algorithm>

using oxgdi::Canvas;
using oxgdi::InRange;

namespace {

constexpr int kLines = 16;
constexpr int kFailed = -1;

struct LineState {
    bool highSomewhere;
    bool highEverywhere;
    bool operator==(const LineState&) const = default;
};

LineState StateOf(std::uint16_t first, std::uint16_t second, int line) {
    return {(((first | second) >> line) & 1u) != 0, (((first & second) >> line) & 1u) != 0};
}

// Start of share `i` when `count` items are spread Bresenham-wise over `parts` parts.
std::size_t ShareStart(long long i, long long count, long long parts) {
    return static_cast<std::size_t>(i * count / parts);
}

// Repeats each of the samples over its share of the slots.
template <typename Sample>
void Spread(std::span<const Sample> samples, std::span<std::uint16_t> slots) {
    const auto n = static_cast<long long>(samples.size());
    const auto d = static_cast<long long>(slots.size());
    for (long long i = 0; i < n; ++i) {
        std::fill(slots.begin() + static_cast<std::ptrdiff_t>(ShareStart(i, d, n)),
                  slots.begin() + static_cast<std::ptrdiff_t>(ShareStart(i + 1, d, n)),
                  static_cast<std::uint16_t>(samples[static_cast<std::size_t>(i)]));
    }
}

// The sample after a window of `samples`: the next one, or the last when the source ends there.
template <typename Sample> std::uint16_t NextSample(std::span<const Sample> source, int samples) {
    const auto index = static_cast<std::size_t>(samples) < source.size() ? samples : samples - 1;
    return static_cast<std::uint16_t>(source[static_cast<std::size_t>(index)]);
}

template <typename Sample>
int ZoomIn(std::span<const Sample> source, std::span<std::uint16_t> destination, int samples,
           int slots, int total) {
    if (samples <= 0 || slots <= 0 || static_cast<std::size_t>(samples) > source.size() ||
        static_cast<std::size_t>(std::max(slots, total)) > destination.size()) {
        return kFailed;
    }
    Spread(source.first(static_cast<std::size_t>(samples)),
           destination.first(static_cast<std::size_t>(slots)));
    if (total > slots) {
        std::fill(destination.begin() + slots, destination.begin() + total,
                  NextSample(source, samples));
    }
    return 0;
}

} // namespace

void DrawSingleWave(DDSURFACEDESC2 desc, std::span<const std::uint16_t> pairs, int line, int lowRow,
                    std::uint32_t colour, int height, int firstColumn, int lastColumn) {
    if (line < 0 || line >= kLines || height < 1 || !InRange(lowRow) || !InRange(height) ||
        firstColumn < 0 || lastColumn < firstColumn ||
        static_cast<std::size_t>(lastColumn) >= pairs.size() / 2) {
        return;
    }
    const Canvas c(desc);
    const int highRow = lowRow - (height - 1);
    // The first column has nothing before it to differ from, so no edge is drawn there.
    LineState previous = StateOf(pairs[2 * static_cast<std::size_t>(firstColumn)],
                                 pairs[2 * static_cast<std::size_t>(firstColumn) + 1], line);
    for (int x = firstColumn; x <= lastColumn; ++x) {
        const LineState state = StateOf(pairs[2 * static_cast<std::size_t>(x)],
                                        pairs[2 * static_cast<std::size_t>(x) + 1], line);
        if (state.highSomewhere != state.highEverywhere || state != previous) {
            c.VLine(x, highRow, lowRow, colour);
        } else {
            c.Put(x, state.highSomewhere ? highRow : lowRow, colour);
        }
        previous = state;
    }
}

int LaWaveZoomOut(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                  int samples, int slots) {
    if (samples <= 0 || slots <= 0 || static_cast<std::size_t>(samples) > source.size()) {
        return kFailed;
    }
    const int columns = static_cast<int>((static_cast<long long>(slots) + 1) / 2);
    if (2 * static_cast<std::size_t>(columns) > destination.size()) {
        return kFailed;
    }
    for (int column = 0; column < columns; ++column) {
        const std::size_t begin = ShareStart(column, samples, columns);
        // A column left without a sample of its own (fewer samples than columns) takes the one at
        // its start.
        const std::size_t end = std::max(ShareStart(column + 1, samples, columns), begin + 1);
        std::uint16_t all = 0xFFFF;
        std::uint16_t any = 0;
        for (std::size_t i = begin; i < end; ++i) {
            all &= source[i];
            any |= source[i];
        }
        destination[2 * static_cast<std::size_t>(column)] = all;
        destination[2 * static_cast<std::size_t>(column) + 1] = any;
    }
    return 0;
}

int devZoomInLaData(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                    int samples, int slots, int total) {
    return ZoomIn(source, destination, samples, slots, total);
}

int DataZoomIn(std::span<const std::uint8_t> source, std::span<std::uint16_t> destination,
               int samples, int slots, int total) {
    return ZoomIn(source, destination, samples, slots, total);
}

int LAZoomIn(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
             int samples, int slots, int firstColumn, int lastColumn) {
    if (samples <= 0 || slots <= 0 || firstColumn < 0 || lastColumn < firstColumn ||
        static_cast<std::size_t>(samples) > source.size() ||
        2 * (static_cast<long long>(lastColumn) + 1) > static_cast<long long>(destination.size()) ||
        2 * static_cast<long long>(firstColumn) + slots >
            2 * (static_cast<long long>(lastColumn) + 1)) {
        return kFailed;
    }
    // The sample before the window lies outside the buffer handed in; its first sample stands in.
    const auto before = destination.first(2 * static_cast<std::size_t>(firstColumn));
    std::fill(before.begin(), before.end(), source[0]);
    const auto window = destination.subspan(before.size());
    return ZoomIn(source, window, samples, slots, static_cast<int>(window.size()));
}

int LaWaveZoomIn(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                 int samples, int firstColumn, int lastColumn) {
    const long long slots = 2 * (static_cast<long long>(lastColumn) - firstColumn + 1);
    if (slots <= 0 || !InRange(firstColumn) || !InRange(lastColumn)) {
        return kFailed;
    }
    return LAZoomIn(source, destination, samples, static_cast<int>(slots), firstColumn, lastColumn);
}
