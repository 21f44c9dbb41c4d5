// A w x h 32-bit surface placed inside a larger buffer whose margin holds a guard value,
// so that any write outside the surface shows up.
#pragma once

#include "surface.h"

#include <cstdint>
#include <vector>

class GuardedSurface {
public:
    static constexpr std::uint32_t kGuard = 0xDEADBEEF;

    GuardedSurface(int width, int height, std::uint32_t fill = 0, int margin = 24)
        : width_(width), height_(height), margin_(margin), stride_(width + 2 * margin),
          pixels_(static_cast<std::size_t>(stride_) * (height + 2 * margin), kGuard) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Ref(x, y) = fill;
            }
        }
        desc.dwWidth = static_cast<std::uint32_t>(width);
        desc.dwHeight = static_cast<std::uint32_t>(height);
        desc.lPitch = stride_ * 4;
        desc.lpSurface = &Ref(0, 0);
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
    }

    DDSURFACEDESC2 desc;

    std::uint32_t At(int x, int y) const { return pixels_[Index(x, y)]; }
    void Set(int x, int y, std::uint32_t colour) { Ref(x, y) = colour; }

    int CountRow(int y, std::uint32_t colour) const {
        int n = 0;
        for (int x = 0; x < width_; ++x) {
            n += At(x, y) == colour;
        }
        return n;
    }
    int CountColumn(int x, std::uint32_t colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y) {
            n += At(x, y) == colour;
        }
        return n;
    }
    int Count(std::uint32_t colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y) {
            n += CountRow(y, colour);
        }
        return n;
    }
    // Pixels of the surface that are not `background`.
    int Drawn(std::uint32_t background = 0) const { return width_ * height_ - Count(background); }

    bool GuardIntact() const {
        for (int y = -margin_; y < height_ + margin_; ++y) {
            for (int x = -margin_; x < width_ + margin_; ++x) {
                const bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
                if (!inside && At(x, y) != kGuard) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y + margin_) * stride_ +
               static_cast<std::size_t>(x + margin_);
    }
    std::uint32_t& Ref(int x, int y) { return pixels_[Index(x, y)]; }

    int width_;
    int height_;
    int margin_;
    int stride_;
    std::vector<std::uint32_t> pixels_;
};
