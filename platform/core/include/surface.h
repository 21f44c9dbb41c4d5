// Drawing surfaces: 32-bit 0x00RRGGBB pixel buffers with a pitch, locked to a surface
// description for direct pixel work, copied with rectangle blits, and able to be lost
// (contents discarded, every operation refused) until restored.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// A rectangle: left and top inclusive, right and bottom exclusive unless a drawing
// function says otherwise.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const CRect&) const = default;
};

struct CPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CPoint&) const = default;
};

struct DDPIXELFORMAT {
    std::uint32_t dwSize = sizeof(DDPIXELFORMAT);
    std::uint32_t dwRGBBitCount = 0;
    std::uint32_t dwRBitMask = 0;
    std::uint32_t dwGBitMask = 0;
    std::uint32_t dwBBitMask = 0;
};

// What a lock hands out: the first pixel, the distance between rows in bytes, the size
// in pixels and the pixel format.
struct DDSURFACEDESC2 {
    std::uint32_t dwSize = sizeof(DDSURFACEDESC2);
    std::uint32_t dwWidth = 0;
    std::uint32_t dwHeight = 0;
    std::int32_t lPitch = 0;
    void* lpSurface = nullptr;
    DDPIXELFORMAT ddpfPixelFormat;
};

enum class SurfaceResult {
    Ok,
    Lost,        // the surface was lost; Restore it and redraw
    Busy,        // locked: no second lock, no blit to or from it
    NotLocked,   // Unlock without a lock
    InvalidRect, // a blit whose rectangles differ in size or are empty
};

class Surface {
public:
    // pitchPixels below the width is raised to the width.
    Surface(int width, int height, int pitchPixels = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int PitchPixels() const { return pitch_; }

    SurfaceResult Lock(DDSURFACEDESC2& desc);
    SurfaceResult Unlock();
    bool IsLocked() const { return locked_; }

    // Copies source rectangle `from` of `source` onto rectangle `to` of this surface.
    // Both must have the same size; the copy is clipped to both surfaces, and the
    // source may be this surface (overlapping rectangles copy correctly).
    SurfaceResult Blt(const CRect& to, const Surface& source, const CRect& from);

    // Loss discards the contents; until Restore every lock and blit reports Lost.
    void SetLost();
    bool IsLost() const { return lost_; }
    SurfaceResult Restore();

    // Read access for presenting the picture (row y starts at Pixels() + y * PitchPixels()).
    const std::uint32_t* Pixels() const { return pixels_.data(); }
    // 0 outside the surface.
    std::uint32_t PixelAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return 0;
        }
        return pixels_[static_cast<std::size_t>(y) * pitch_ + static_cast<std::size_t>(x)];
    }

private:
    int width_;
    int height_;
    int pitch_;
    bool locked_ = false;
    bool lost_ = false;
    std::vector<std::uint32_t> pixels_;
};

// Locked pixels seen as rows: the first byte, the distance between rows in bytes and the
// bytes per pixel. It does no checking; the drawing helpers built on it check their
// coordinates once and then write through it.
struct SurfaceView {
    std::uint8_t* base = nullptr;
    std::ptrdiff_t pitch = 0;
    int bytesPerPixel = 4;

    std::uint8_t* Address(int x, int y) const {
        return base + y * pitch + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
    }
    // Row y of a 32-bit view.
    std::uint32_t* Row(int y) const { return reinterpret_cast<std::uint32_t*>(base + y * pitch); }

    // Pixels are stored little-endian in their own bytes only, so a pixel smaller than a
    // word never spills into its neighbour or past the end of a row.
    void Store(std::uint8_t* p, std::uint32_t colour) const {
        if constexpr (std::endian::native == std::endian::little) {
            if (bytesPerPixel == 4) {
                std::memcpy(p, &colour, sizeof colour);
                return;
            }
        }
        for (int i = 0; i < bytesPerPixel; ++i) {
            p[i] = static_cast<std::uint8_t>(colour >> (8 * i));
        }
    }
    std::uint32_t Load(const std::uint8_t* p) const {
        std::uint32_t value = 0;
        for (int i = 0; i < bytesPerPixel; ++i) {
            value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
        }
        return value;
    }
};
