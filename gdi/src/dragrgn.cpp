#include "canvas.h"
#include "oxgdi.h"

#include <algorithm>

using oxgdi::InRange;

namespace {

constexpr std::size_t kBytesPerPixel = 4;

// Every fifth pixel of each edge is left out.
bool Dotted(int i) {
    return i % 5 != 4;
}

// A 32-bit bitmap whose pixels get their blue, green and red bytes; the fourth byte is kept.
class BgrBitmap {
public:
    BgrBitmap(std::span<std::uint8_t> pixels, int width)
        : pixels_(pixels), width_(width),
          height_(pixels.size() / (static_cast<std::size_t>(width) * kBytesPerPixel)) {}

    void Put(int x, int y, std::uint32_t colour) const {
        if (x < 0 || y < 0 || x >= width_ || static_cast<std::size_t>(y) >= height_) {
            return;
        }
        std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * kBytesPerPixel];
        p[0] = static_cast<std::uint8_t>(colour);
        p[1] = static_cast<std::uint8_t>(colour >> 8);
        p[2] = static_cast<std::uint8_t>(colour >> 16);
    }

    long long Height() const { return static_cast<long long>(height_); }

private:
    std::span<std::uint8_t> pixels_;
    int width_;
    std::size_t height_;
};

} // namespace

void DrawDragRgn(std::span<std::uint8_t> pixels, int width, CRect rect, std::uint32_t colour) {
    if (width <= 0 || !InRange(rect) || rect.IsRectEmpty()) {
        return;
    }
    const BgrBitmap bitmap(pixels, width);
    // The rectangle comes in composition coordinates; the bitmap starts at the plot's corner.
    const CRect r{rect.left - 16, rect.top - 9, rect.right - 16, rect.bottom - 9};
    // Only the indices that can land on the bitmap are visited.
    for (int i = std::max(0, -r.left); i < std::min(r.Width(), width - r.left); ++i) {
        if (Dotted(i)) {
            bitmap.Put(r.left + i, r.top, colour);
            bitmap.Put(r.left + i, r.bottom - 1, colour);
        }
    }
    for (int i = std::max(0, -r.top); i < std::min<long long>(r.Height(), bitmap.Height() - r.top);
         ++i) {
        if (Dotted(i)) {
            bitmap.Put(r.left, r.top + i, colour);
            bitmap.Put(r.right - 1, r.top + i, colour);
        }
    }
}
