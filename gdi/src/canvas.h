// Canvas: a surface description checked once and written through clipped operations, so
// no drawing function can reach outside the surface (or outside a narrower clip).
#pragma once

#include "surface.h"

#include <cstdint>
#include <span>

namespace oxgdi {

// Dash patterns: pixel i is on when bit 31 of (pattern << (i mod 7)) is set.
constexpr std::uint32_t kDotDash = 0xF4000000;  // on-on-on-on-off-on-off
constexpr std::uint32_t kLongDash = 0xF8000000; // five on, two off
constexpr int kPatternPeriod = 7;

inline bool PatternOn(std::uint32_t pattern, int i) {
    return ((pattern << (i % kPatternPeriod)) & 0x80000000u) != 0;
}

// Coordinates handed to the drawing functions must lie within +-kCoordLimit, so that
// the offsets the functions add to them cannot overflow; anything else draws nothing.
constexpr int kCoordLimit = 1 << 28;

inline bool InRange(int v) {
    return v >= -kCoordLimit && v <= kCoordLimit;
}
inline bool InRange(const CPoint& p) {
    return InRange(p.x) && InRange(p.y);
}
inline bool InRange(const CRect& r) {
    return InRange(r.left) && InRange(r.top) && InRange(r.right) && InRange(r.bottom);
}

// A 16-bit-per-row mask bitmap, bit 15 = leftmost pixel.
struct Mask {
    int width;
    int height;
    std::span<const std::uint16_t> rows;
};

class Canvas {
public:
    explicit Canvas(const DDSURFACEDESC2& desc);

    bool Valid() const { return view_.base != nullptr; }
    // A copy that also clips to r.
    Canvas ClippedTo(const CRect& r) const;

    void Put(int x, int y, std::uint32_t colour) const;
    void Or(int x, int y, std::uint32_t colour) const;
    std::uint32_t Get(int x, int y) const;

    // Inclusive ends; every `step`-th pixel counted from the first end.
    void HLine(int y, int x0, int x1, std::uint32_t colour, int step = 1) const;
    void VLine(int x, int y0, int y1, std::uint32_t colour, int step = 1) const;
    // Dashed lines; the pattern is counted from the first end given (x0, or the bottom).
    void PatternHLine(int y, int x0, int x1, std::uint32_t colour, std::uint32_t pattern) const;
    void PatternVLineUp(int x, int yBottom, int yTop, std::uint32_t colour,
                        std::uint32_t pattern) const;
    // Rows top..bottom-1, columns left..right-1.
    void Fill(const CRect& r, std::uint32_t colour, bool translucent = false) const;
    // Set bits get `set`; clear bits get `clear` unless `transparent`.
    void DrawMask(int x, int y, const Mask& mask, std::uint32_t set, std::uint32_t clear,
                  bool transparent) const;

    // The part of r on this canvas (empty when none).
    CRect Clip(const CRect& r) const;

private:
    bool Inside(int x, int y) const {
        return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
    }

    SurfaceView view_;
    CRect clip_;
};

} // namespace oxgdi
