#include "canvas.h"

#include <algorithm>
#include <climits>

namespace oxgdi {

Canvas::Canvas(const DDSURFACEDESC2& desc) {
    const std::uint32_t bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (desc.lpSurface == nullptr || (bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        desc.dwWidth > INT_MAX || desc.dwHeight > INT_MAX) {
        return;
    }
    const int bytesPerPixel = static_cast<int>(bits / 8);
    if (desc.lPitch < static_cast<long long>(desc.dwWidth) * bytesPerPixel) {
        return;
    }
    view_ = {static_cast<std::uint8_t*>(desc.lpSurface), desc.lPitch, bytesPerPixel};
    clip_ = {0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight)};
}

Canvas Canvas::ClippedTo(const CRect& r) const {
    Canvas narrower = *this;
    narrower.clip_ = Clip(r);
    return narrower;
}

CRect Canvas::Clip(const CRect& r) const {
    CRect c{std::max(r.left, clip_.left), std::max(r.top, clip_.top),
            std::min(r.right, clip_.right), std::min(r.bottom, clip_.bottom)};
    return c.IsRectEmpty() ? CRect{} : c;
}

void Canvas::Put(int x, int y, std::uint32_t colour) const {
    if (Valid() && Inside(x, y)) {
        view_.Store(view_.Address(x, y), colour);
    }
}

std::uint32_t Canvas::Get(int x, int y) const {
    if (!Valid() || !Inside(x, y)) {
        return 0;
    }
    return view_.Load(view_.Address(x, y));
}

void Canvas::Or(int x, int y, std::uint32_t colour) const {
    Put(x, y, Get(x, y) | colour);
}

namespace {

// First value of start, start+step, ... that is at least low.
long long FirstOnStep(long long start, long long low, int step) {
    if (start >= low) {
        return start;
    }
    return start + (low - start + step - 1) / step * step;
}

} // namespace

void Canvas::HLine(int y, int x0, int x1, std::uint32_t colour, int step) const {
    if (!Valid() || y < clip_.top || y >= clip_.bottom || step < 1) {
        return;
    }
    const long long last = std::min<long long>(x1, clip_.right - 1);
    for (long long x = FirstOnStep(x0, clip_.left, step); x <= last; x += step) {
        Put(static_cast<int>(x), y, colour);
    }
}

void Canvas::VLine(int x, int y0, int y1, std::uint32_t colour, int step) const {
    if (!Valid() || x < clip_.left || x >= clip_.right || step < 1) {
        return;
    }
    const long long first = FirstOnStep(y0, clip_.top, step);
    const long long last = std::min<long long>(y1, clip_.bottom - 1);
    if (first > last) {
        return;
    }
    std::uint8_t* p = view_.Address(x, static_cast<int>(first));
    for (long long y = first; y <= last; y += step, p += view_.pitch * step) {
        view_.Store(p, colour);
    }
}

void Canvas::PatternHLine(int y, int x0, int x1, std::uint32_t colour,
                          std::uint32_t pattern) const {
    const int first = std::max(x0, clip_.left);
    const int last = std::min(x1, clip_.right - 1);
    for (int x = first; x <= last; ++x) {
        if (PatternOn(pattern,
                      static_cast<int>((static_cast<long long>(x) - x0) % kPatternPeriod))) {
            Put(x, y, colour);
        }
    }
}

void Canvas::PatternVLineUp(int x, int yBottom, int yTop, std::uint32_t colour,
                            std::uint32_t pattern) const {
    const int first = std::min(yBottom, clip_.bottom - 1);
    const int last = std::max(yTop, clip_.top);
    for (int y = first; y >= last; --y) {
        if (PatternOn(pattern,
                      static_cast<int>((static_cast<long long>(yBottom) - y) % kPatternPeriod))) {
            Put(x, y, colour);
        }
    }
}

void Canvas::Fill(const CRect& r, std::uint32_t colour, bool translucent) const {
    if (!Valid()) {
        return;
    }
    const CRect c = Clip(r);
    for (int y = c.top; y < c.bottom; ++y) {
        for (int x = c.left; x < c.right; ++x) {
            if (translucent) {
                Or(x, y, colour);
            } else {
                Put(x, y, colour);
            }
        }
    }
}

void Canvas::DrawMask(int x, int y, const Mask& mask, std::uint32_t set, std::uint32_t clear,
                      bool transparent) const {
    for (int row = 0; row < mask.height; ++row) {
        for (int col = 0; col < mask.width; ++col) {
            const bool on = (mask.rows[row] >> (15 - col)) & 1u;
            if (on || !transparent) {
                Put(x + col, y + row, on ? set : clear);
            }
        }
    }
}

} // namespace oxgdi
