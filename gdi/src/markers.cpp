// Ground markers, trigger-offset and X-Y channel arrows, the horizontal reference mark.
#include "canvas.h"
#include "oxgdi.h"

#include <algorithm>
#include <array>
#include <cstdlib>

using oxgdi::Canvas;
using oxgdi::InRange;
using oxgdi::Mask;

namespace {

constexpr int kMarkers = 4;
constexpr std::uint32_t kGlyphBackground = 0x000001;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

// Three glyphs per marker: 3k points right (14 x 9), 3k+1 down and 3k+2 up (9 x 14).
// The marker's label is the clear bits inside the shape.
constexpr std::uint16_t kGlyphRows[12][14] = {
    {0xFFC0, 0xFBE0, 0xF3F0, 0xFBF8, 0xFBFC, 0xFBF8, 0xFBF0, 0xF1E0, 0xFFC0},
    {0xFF80, 0xFF80, 0xFF80, 0xFF80, 0xBD80, 0x8080, 0xBF80, 0xFF80, 0xFF80, 0xFF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFF80, 0xFF80, 0xFF80, 0xFE80, 0x8080, 0xDE80, 0xFF80, 0xFF80,
     0xFF80, 0xFF80},
    {0xFFC0, 0xF3E0, 0xEDF0, 0xFDF8, 0xFBFC, 0xF7F8, 0xEFF0, 0xE1E0, 0xFFC0},
    {0xFF80, 0xFF80, 0xFF80, 0x9D80, 0xAE80, 0xB680, 0xB980, 0xFF80, 0xFF80, 0xFF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFF80, 0xFF80, 0xFF80, 0xCE80, 0xB680, 0xBA80, 0xDC80, 0xFF80,
     0xFF80, 0xFF80},
    {0xFFC0, 0xBB60, 0x9270, 0x9378, 0xAB7C, 0xAB78, 0xAA30, 0xFFE0, 0xFFC0},
    {0xFF80, 0xC080, 0xF980, 0xC780, 0xF980, 0xC080, 0xFF80, 0xDD80, 0xC080, 0xDF80, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xFD80, 0x8180, 0xDD80, 0xFF80, 0x8180, 0xCF80, 0xF180, 0xCF80,
     0x8180, 0xFF80},
    {0xFFC0, 0xBB60, 0x92B0, 0x93B8, 0xAB7C, 0xAAF8, 0xAA30, 0xFFE0, 0xFFC0},
    {0xFF80, 0xC080, 0xF980, 0xC780, 0xF980, 0xC080, 0xFF80, 0xCD80, 0xD680, 0xD980, 0x7F00, 0x3E00,
     0x1C00, 0x0800},
    {0x0800, 0x1C00, 0x3E00, 0x7F00, 0xCD80, 0xB580, 0xD980, 0xFF80, 0x8180, 0xCF80, 0xF180, 0xCF80,
     0x8180, 0xFF80},
};

Mask Glyph(int index) {
    const bool pointsRight = index % 3 == 0;
    const int width = pointsRight ? 14 : 9;
    const int height = pointsRight ? 9 : 14;
    return {width, height,
            std::span<const std::uint16_t>(kGlyphRows[index], static_cast<std::size_t>(height))};
}

// 5 x 5 letters drawn inside the arrows (bit 15 = leftmost pixel).
constexpr std::array<std::uint16_t, 5> kLetterT = {0xF800, 0x2000, 0x2000, 0x2000, 0x2000};
constexpr std::array<std::uint16_t, 5> kLetterOne = {0x2000, 0x6000, 0x2000, 0x2000, 0x7000};

// The arrows of the trigger-offset and X-Y marks: 9 rows (or columns) of 14 - |n| pixels,
// n = -4..4, the longest through the tip.
constexpr int kArrowLength = 14;
constexpr int kArrowHalf = 4;
constexpr int kLeftArrowTip = 17;
constexpr int kRightArrowTip = 715;
constexpr int kEdgeMargin = 5;

void DrawArrowMark(DDSURFACEDESC2 desc, const CRect& rect, const CPoint& point, CRect& drawn,
                   std::uint32_t colour, const std::array<std::uint16_t, 5>& letter,
                   std::uint32_t letterColour) {
    drawn = {};
    const Canvas c(desc);
    if (!InRange(rect) || !InRange(point)) {
        return;
    }
    const Mask letterMask{5, 5, letter};
    if (point.x < rect.left + kEdgeMargin) {
        // Pointing left from the plot's left edge, tip at column 17.
        const int row = rect.top + 9;
        for (int n = -kArrowHalf; n <= kArrowHalf; ++n) {
            c.HLine(row + n, kLeftArrowTip + std::abs(n), kLeftArrowTip + kArrowLength - 1, colour);
        }
        c.DrawMask(kLeftArrowTip + 6, row - 2, letterMask, letterColour, 0, true);
        drawn = {kLeftArrowTip, rect.top + 5, kLeftArrowTip + kArrowLength, rect.top + 13};
    } else if (point.x > rect.right - kEdgeMargin) {
        // Pointing right, tip at column 715, the last column of the plot on the composition
        // surface.
        const int row = rect.top + 9;
        const int base = kRightArrowTip - kArrowLength + 1;
        for (int n = -kArrowHalf; n <= kArrowHalf; ++n) {
            c.HLine(row + n, base, kRightArrowTip - std::abs(n), colour);
        }
        c.DrawMask(base + 2, row - 2, letterMask, letterColour, 0, true);
        drawn = {base, rect.top + 5, kRightArrowTip + 1, rect.top + 13};
    } else {
        // Pointing down, tip on the point.
        const int top = point.y - kArrowLength + 1;
        for (int n = -kArrowHalf; n <= kArrowHalf; ++n) {
            c.VLine(point.x + n, top, point.y - std::abs(n), colour);
        }
        c.DrawMask(point.x - 2, top + 2, letterMask, letterColour, 0, true);
        drawn = {point.x - 4, point.y - 14, point.x + 4, point.y};
    }
}

} // namespace

void DrawGnd(DDSURFACEDESC2 desc, CRect rect, int marker, CPoint point, CRect& drawn,
             std::uint32_t colour, bool transparent) {
    drawn = {};
    if (marker < 0 || marker >= kMarkers || !InRange(rect) || !InRange(point)) {
        return;
    }
    const Canvas c(desc);
    int glyph = 3 * marker;
    CPoint at{point.x - 14, point.y - 4};
    if (point.y < rect.top + 4) {
        glyph += 2;
        at = {6, rect.top};
        drawn = {6, rect.top, 14, rect.top + 14};
    } else if (point.y > rect.bottom - 4) {
        glyph += 1;
        at = {6, rect.bottom - 14};
        drawn = {6, rect.bottom - 14, 14, rect.bottom - 1};
    } else {
        drawn = {point.x - 14, point.y - 4, point.x, point.y + 4};
    }
    c.DrawMask(at.x, at.y, Glyph(glyph), colour, kGlyphBackground, transparent);
}

void DrawTrigOffsetMark(DDSURFACEDESC2 desc, CRect rect, CPoint point, CRect& drawn,
                        std::uint32_t colour) {
    DrawArrowMark(desc, rect, point, drawn, colour, kLetterT, colour == 0 ? kWhite : kBlack);
}

void DrawXYChanMark(DDSURFACEDESC2 desc, CRect rect, CPoint point, CRect& drawn,
                    std::uint32_t colour) {
    DrawArrowMark(desc, rect, point, drawn, colour, kLetterOne, kBlack);
}

void DrawHorizRefCenterMark(DDSURFACEDESC2 desc, CPoint point, CRect rect, std::uint32_t colour) {
    if (!InRange(rect) || !InRange(point) || rect.IsRectEmpty()) {
        return;
    }
    // Five rows narrowing to a tip below the point: 9, 7, 5, 3, 1 pixels.
    const Canvas c(desc);
    const int x = std::clamp(point.x, rect.left, rect.right - 1);
    for (int row = 0; row < 5; ++row) {
        const int half = 4 - row;
        c.HLine(point.y + row, x - half, x + half, colour);
    }
}
