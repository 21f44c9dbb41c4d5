// Manual and tracking cursors: dashed lines across the plot with small solid triangles.
#include "canvas.h"
#include "oxgdi.h"

#include <algorithm>

using oxgdi::Canvas;
using oxgdi::InRange;

namespace {

constexpr int kTriangleDepth = 5;

// Half-height of the 5-deep cursor triangle at depth d from its base: 2, 2, 1, 1, 0.
int TriangleHalf(int depth) {
    return (kTriangleDepth - depth) / 2;
}

// The interior of the rect a cursor lives in: columns left+1..right-1, rows top+1..bottom-1.
CRect Interior(const CRect& r) {
    return {r.left + 1, r.top + 1, r.right, r.bottom};
}

bool Usable(const CRect& rect, const CPoint& point) {
    return InRange(rect) && InRange(point) && !Interior(rect).IsRectEmpty();
}

// The strip around a vertical cursor at x, as hit-test and redraw rectangle.
CRect VerticalStrip(const CRect& rect, int x) {
    return {std::max(x - 2, rect.left + 1), rect.top + 1, std::min(x + 2, rect.right - 1),
            rect.bottom - 1};
}

// Dashed vertical line at x from the bottom up, with triangles at both ends pointing inward.
void VerticalCursorLine(const Canvas& inside, const CRect& rect, int x, std::uint32_t colour) {
    inside.PatternVLineUp(x, rect.bottom - 1, rect.top + 1, colour, oxgdi::kDotDash);
}

void VerticalTriangles(const Canvas& inside, const CRect& rect, int x, std::uint32_t colour) {
    for (int d = 0; d < kTriangleDepth; ++d) {
        const int half = TriangleHalf(d);
        inside.HLine(rect.top + 1 + d, x - half, x + half, colour);
        inside.HLine(rect.bottom - 1 - d, x - half, x + half, colour);
    }
}

int ClampX(const CRect& rect, int x) {
    return std::clamp(x, rect.left + 1, rect.right - 1);
}

int ClampY(const CRect& rect, int y) {
    return std::clamp(y, rect.top + 1, rect.bottom - 1);
}

} // namespace

void DrawHorizManualCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                           CRect& drawn) {
    drawn = {};
    if (!Usable(rect, point)) {
        return;
    }
    const Canvas inside = Canvas(desc).ClippedTo(Interior(rect));
    const int y = ClampY(rect, point.y);
    inside.PatternHLine(y, rect.left + 1, rect.right - 2, colour, oxgdi::kDotDash);
    for (int d = 0; d < kTriangleDepth; ++d) {
        const int half = TriangleHalf(d);
        inside.VLine(rect.left + 1 + d, y - half, y + half, colour);
        inside.VLine(rect.right - 2 - d, y - half, y + half, colour);
    }
    drawn = {rect.left + 1, std::max(y - 2, rect.top + 1), rect.right - 1,
             std::min(y + 2, rect.bottom - 1)};
}

void DrawVerticalManualCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                              CRect& drawn) {
    drawn = {};
    if (!Usable(rect, point)) {
        return;
    }
    const Canvas inside = Canvas(desc).ClippedTo(Interior(rect));
    const int x = ClampX(rect, point.x);
    VerticalCursorLine(inside, rect, x, colour);
    VerticalTriangles(inside, rect, x, colour);
    drawn = VerticalStrip(rect, x);
}

void DrawTracklCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                      CRect& drawn, bool cross) {
    drawn = {};
    if (!Usable(rect, point)) {
        return;
    }
    const Canvas inside = Canvas(desc).ClippedTo(Interior(rect));
    const int x = ClampX(rect, point.x);
    const int y = ClampY(rect, point.y);
    VerticalCursorLine(inside, rect, x, colour);
    if (cross) {
        inside.PatternHLine(y, rect.left + 1, rect.right - 2, colour, oxgdi::kDotDash);
        // A 9 x 9 box around the point, split by a cross.
        for (int offset = -4; offset <= 4; offset += 4) {
            inside.HLine(y + offset, x - 4, x + 4, colour);
            inside.VLine(x + offset, y - 4, y + 4, colour);
        }
    }
    drawn = VerticalStrip(rect, x);
}
