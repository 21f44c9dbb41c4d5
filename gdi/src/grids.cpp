// Graticules, frames, shading and the trigger level line.
#include "canvas.h"
#include "oxgdi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using oxgdi::Canvas;
using oxgdi::InRange;

namespace {

constexpr int kDivisionsAcross = 14;
constexpr int kDivisionsDown = 8;
constexpr int kMinorPerDivision = 5;
constexpr int kTicksAcross = kDivisionsAcross * kMinorPerDivision; // 70
constexpr int kTicksDown = kDivisionsDown * kMinorPerDivision;     // 40
constexpr int kSplitLineBase = 0x9B; // grey level at the split line's centre
constexpr int kSplitLineStep = 5;

// Position k of `parts` equal steps over `length`, in single precision, truncated.
int Step(int origin, int k, int length, int parts) {
    return origin + static_cast<int>(static_cast<float>(k) * static_cast<float>(length) /
                                     static_cast<float>(parts));
}

int Centre(int origin, int length) {
    return origin + static_cast<int>(std::lround(static_cast<float>(length) / 2.0f));
}

bool Major(int k) {
    return k % kMinorPerDivision == 0;
}

void DrawFullGrid(const Canvas& c, const CRect& r, std::uint32_t colour) {
    const int w = r.Width();
    const int h = r.Height();
    for (int k = 0, y = r.top; y < r.bottom; y = Step(r.top, ++k, h, kDivisionsDown)) {
        c.HLine(y, r.left, r.right - 1, colour, 2);
    }
    for (int k = 0, x = r.left; x < r.right; x = Step(r.left, ++k, w, kDivisionsAcross)) {
        c.VLine(x, r.top, r.bottom - 1, colour, 2);
    }
    const int centreRow = Centre(r.top, h);
    for (int k = 1, x = Step(r.left, 1, w, kTicksAcross); x < r.right;
         x = Step(r.left, ++k, w, kTicksAcross)) {
        if (!Major(k)) {
            c.VLine(x, centreRow - 2, centreRow + 2, colour);
        }
    }
    const int centreColumn = Centre(r.left, w);
    for (int k = 1, y = Step(r.top, 1, h, kTicksDown); y < r.bottom;
         y = Step(r.top, ++k, h, kTicksDown)) {
        if (!Major(k)) {
            c.HLine(y, centreColumn - 2, centreColumn + 2, colour);
        }
    }
}

void DrawEdgeTicks(const Canvas& c, const CRect& r, std::uint32_t colour) {
    for (int k = 0, x = r.left; x < r.right; x = Step(r.left, ++k, r.Width(), kTicksAcross)) {
        const int length = Major(k) ? 4 : 2;
        c.VLine(x, r.top, r.top + length - 1, colour);
        c.VLine(x, r.bottom - length, r.bottom - 1, colour);
    }
    for (int k = 0, y = r.top; y < r.bottom; y = Step(r.top, ++k, r.Height(), kTicksDown)) {
        const int length = Major(k) ? 3 : 2;
        c.HLine(y, r.left, r.left + length - 1, colour);
        c.HLine(y, r.right - length, r.right - 1, colour);
    }
}

void DrawGrid(const Canvas& c, const CRect& r, int fullGrid, std::uint32_t colour) {
    if (fullGrid) {
        DrawFullGrid(c, r, colour);
    } else {
        DrawEdgeTicks(c, r, colour);
    }
}

void DrawFrame(const Canvas& c, const CRect& r, int edges, std::uint32_t colour) {
    if (edges & kFrameBottom) {
        c.HLine(r.bottom, r.left, r.right - 1, colour);
    }
    if (edges & kFrameTop) {
        c.HLine(r.top, r.left, r.right - 1, colour);
    }
    if (edges & kFrameRight) {
        c.VLine(r.right, r.top, r.bottom, colour);
    }
    if (edges & kFrameLeft) {
        c.VLine(r.left, r.top, r.bottom - 1, colour);
    }
}

// The grid followed by its grey frame.
void GridWithFrame(DDSURFACEDESC2 desc, const CRect& rect, int fullGrid, std::uint32_t colour,
                   int edges) {
    const Canvas c(desc);
    if (!c.Valid() || !InRange(rect) || rect.IsRectEmpty()) {
        return;
    }
    DrawGrid(c, rect, fullGrid, colour);
    DrawFrame(c, rect, edges, kFrameGrey);
}

} // namespace

void DrawGridFrame(DDSURFACEDESC2 desc, CRect rect, int edges, std::uint32_t colour) {
    if (InRange(rect) && !rect.IsRectEmpty()) {
        DrawFrame(Canvas(desc), rect, edges, colour);
    }
}

void DrawMainGrid(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour) {
    GridWithFrame(desc, rect, fullGrid, colour, kFrameLeft | kFrameTop);
}

void DrawDelayedGridDown(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour) {
    DrawMainGrid(desc, rect, fullGrid, colour);
}

void DrawBModeGridUp(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour) {
    GridWithFrame(desc, rect, fullGrid, colour, kFrameLeft | kFrameTop | kFrameBottom);
}

void DrawDelayedGridUp(DDSURFACEDESC2 desc, CRect rect, CRect window, int fullGrid,
                       std::uint32_t colour, std::uint32_t shadowColour) {
    const Canvas c(desc);
    if (!c.Valid() || !InRange(rect) || rect.IsRectEmpty() || !InRange(window)) {
        return;
    }
    // The window arrives in composition-surface coordinates, whose plot area starts at (16, 9).
    const CRect moved{window.left - 16, window.top - 9, window.right - 16, window.bottom - 9};
    c.Fill({rect.left, rect.top, std::min(moved.left, rect.right), rect.bottom}, shadowColour);
    c.Fill({std::max(moved.right, rect.left), rect.top, rect.right, rect.bottom}, shadowColour);
    DrawGrid(c, rect, fullGrid, colour);
    DrawFrame(c, rect, kFrameLeft | kFrameTop | kFrameBottom, kFrameGrey);
    DrawFrame(c, moved, kFrameLeft | kFrameTop | kFrameRight | kFrameBottom, kOuterFrameGrey);
}

void DrawDelayedSplitLine(DDSURFACEDESC2 desc, CRect rect) {
    const Canvas c(desc);
    if (!InRange(rect)) {
        return;
    }
    // A grey brightening outward from the centre column by 5 levels per pixel, up to white.
    // Each of red, green and blue grows alike: no level carries into the next colour.
    const int centre = rect.left + rect.Width() / 2;
    const CRect area = c.Clip(rect);
    for (int x = area.left; x < area.right; ++x) {
        const int level = std::min(kSplitLineBase + kSplitLineStep * std::abs(x - centre), 0xFF);
        const std::uint32_t grey = static_cast<std::uint32_t>(level) * 0x010101u;
        for (int y = area.top; y < area.bottom; ++y) {
            c.Put(x, y, grey);
        }
    }
}

void FillRectShadow(DDSURFACEDESC2 desc, CRect rect, std::uint32_t colour, bool translucent) {
    Canvas(desc).Fill(rect, colour, translucent);
}

void FillPFGrid(DDSURFACEDESC2 desc, CRect rect, std::span<const std::int16_t> upper,
                std::span<const std::int16_t> lower, std::uint32_t colour) {
    const Canvas c(desc);
    if (!InRange(rect)) {
        return;
    }
    const long long columns = static_cast<long long>(std::min(upper.size(), lower.size()));
    CRect area = c.Clip(rect);
    area.right = static_cast<int>(std::min<long long>(area.right, rect.left + columns));
    for (int x = area.left; x < area.right; ++x) {
        const int largestRow = upper[static_cast<std::size_t>(x - rect.left)];
        const int smallestRow = lower[static_cast<std::size_t>(x - rect.left)];
        for (int y = area.top; y < area.bottom; ++y) {
            const int row = y - rect.top;
            if (row > largestRow || row < smallestRow) {
                c.Put(x, y, colour);
            }
        }
    }
}

void DrawTrigLevelLine(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour) {
    if (!InRange(rect) || !InRange(point) || point.y < rect.top + 1 || point.y > rect.bottom - 1) {
        return;
    }
    Canvas(desc).PatternHLine(point.y, rect.left + 1, rect.right - 2, colour, oxgdi::kLongDash);
}
