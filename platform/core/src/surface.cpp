#include "surface.h"

#include <algorithm>
#include <cstring>

namespace {

CRect Intersect(const CRect& a, const CRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

CRect Offset(const CRect& r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool FitsInt(long long value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

} // namespace

Surface::Surface(int width, int height, int pitchPixels)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pitch_(std::max(pitchPixels, width_)),
      pixels_(static_cast<std::size_t>(pitch_) * height_, 0) {}

SurfaceResult Surface::Lock(DDSURFACEDESC2& desc) {
    if (lost_) {
        return SurfaceResult::Lost;
    }
    if (locked_) {
        return SurfaceResult::Busy;
    }
    locked_ = true;
    desc = DDSURFACEDESC2{};
    desc.dwWidth = static_cast<std::uint32_t>(width_);
    desc.dwHeight = static_cast<std::uint32_t>(height_);
    desc.lPitch = pitch_ * static_cast<std::int32_t>(sizeof(std::uint32_t));
    desc.lpSurface = pixels_.data();
    desc.ddpfPixelFormat.dwRGBBitCount = 32;
    desc.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
    desc.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
    desc.ddpfPixelFormat.dwBBitMask = 0x000000FF;
    return SurfaceResult::Ok;
}

SurfaceResult Surface::Unlock() {
    if (!locked_) {
        return SurfaceResult::NotLocked;
    }
    locked_ = false;
    return SurfaceResult::Ok;
}

SurfaceResult Surface::Blt(const CRect& to, const Surface& source, const CRect& from) {
    if (lost_ || source.lost_) {
        return SurfaceResult::Lost;
    }
    if (locked_ || source.locked_) {
        return SurfaceResult::Busy;
    }
    if (to.IsRectEmpty() || to.Width() != from.Width() || to.Height() != from.Height()) {
        return SurfaceResult::InvalidRect;
    }
    const long long dx64 = static_cast<long long>(to.left) - from.left;
    const long long dy64 = static_cast<long long>(to.top) - from.top;
    if (!FitsInt(dx64) || !FitsInt(dy64)) {
        return SurfaceResult::Ok; // the rectangles are too far apart to meet both surfaces
    }
    const int dx = static_cast<int>(dx64);
    const int dy = static_cast<int>(dy64);
    // Clip the source to its surface, move it onto the destination, clip again, move back.
    CRect src = Intersect(from, {0, 0, source.width_, source.height_});
    CRect dst = Intersect(Offset(src, dx, dy), {0, 0, width_, height_});
    if (dst.IsRectEmpty()) {
        return SurfaceResult::Ok;
    }
    src = Offset(dst, -dx, -dy);
    const std::size_t rowBytes = static_cast<std::size_t>(dst.Width()) * sizeof(std::uint32_t);
    const int rows = dst.Height();
    // Copy bottom-up when moving down within one surface, so no source row is overwritten first.
    const bool upward = (this == &source) && dy > 0;
    for (int i = 0; i < rows; ++i) {
        const int row = upward ? rows - 1 - i : i;
        std::memmove(
            &pixels_[static_cast<std::size_t>(dst.top + row) * pitch_ + dst.left],
            &source.pixels_[static_cast<std::size_t>(src.top + row) * source.pitch_ + src.left],
            rowBytes);
    }
    return SurfaceResult::Ok;
}

void Surface::SetLost() {
    lost_ = true;
}

SurfaceResult Surface::Restore() {
    if (locked_) {
        return SurfaceResult::Busy;
    }
    if (lost_) {
        // A restored surface holds no picture until its owner redraws it.
        std::fill(pixels_.begin(), pixels_.end(), 0u);
        lost_ = false;
    }
    return SurfaceResult::Ok;
}
