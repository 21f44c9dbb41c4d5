#include "surface.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Writes colour into every pixel of r through a lock.
void Paint(Surface& s, const CRect& r, std::uint32_t colour) {
    DDSURFACEDESC2 desc;
    ASSERT_EQ(s.Lock(desc), SurfaceResult::Ok);
    auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = r.top; y < r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(base + y * desc.lPitch);
        for (int x = r.left; x < r.right; ++x) {
            row[x] = colour;
        }
    }
    ASSERT_EQ(s.Unlock(), SurfaceResult::Ok);
}

int CountColour(const Surface& s, std::uint32_t colour) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            n += s.PixelAt(x, y) == colour;
        }
    }
    return n;
}

} // namespace

TEST(Surface, LockDescribesThePixelsWithTheirPitch) {
    Surface s(700, 400, 727);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(s.Lock(desc), SurfaceResult::Ok);
    EXPECT_EQ(desc.dwWidth, 700u);
    EXPECT_EQ(desc.dwHeight, 400u);
    EXPECT_EQ(desc.lPitch, 727 * 4);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.lpSurface, s.Pixels());
    // A pixel written through the description lands where the surface reads it.
    auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
    *reinterpret_cast<std::uint32_t*>(base + 3 * desc.lPitch + 5 * 4) = 0x00123456;
    EXPECT_EQ(s.PixelAt(5, 3), 0x00123456u);
    EXPECT_EQ(s.Lock(desc), SurfaceResult::Busy);
    EXPECT_EQ(s.Unlock(), SurfaceResult::Ok);
    EXPECT_EQ(s.Unlock(), SurfaceResult::NotLocked);
}

TEST(Surface, PitchIsNeverBelowTheWidth) {
    Surface s(160, 30, 10);
    EXPECT_EQ(s.PitchPixels(), 160);
    Surface empty(-3, -4);
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(empty.Height(), 0);
}

TEST(Surface, BltCopiesARectangleBetweenSurfaces) {
    Surface grid(700, 400);
    Surface trace(700, 510, 727);
    Paint(grid, {0, 0, 700, 400}, 0x00101010);
    Paint(grid, {10, 20, 11, 21}, 0x00FF0000);
    ASSERT_EQ(trace.Blt({0, 50, 700, 450}, grid, {0, 0, 700, 400}), SurfaceResult::Ok);
    EXPECT_EQ(trace.PixelAt(10, 70), 0x00FF0000u);
    EXPECT_EQ(trace.PixelAt(0, 50), 0x00101010u);
    EXPECT_EQ(trace.PixelAt(0, 49), 0u);
    EXPECT_EQ(trace.PixelAt(0, 450), 0u);
    EXPECT_EQ(grid.PixelAt(700, 0), 0u); // outside the surface
    EXPECT_EQ(grid.PixelAt(-1, 399), 0u);
    EXPECT_EQ(CountColour(trace, 0x00101010) + 1, 700 * 400);
}

TEST(Surface, BltClipsToBothSurfaces) {
    Surface from(20, 20);
    Surface to(10, 10);
    Paint(from, {0, 0, 20, 20}, 7);
    // Destination hangs over the bottom-right corner: only the inside 4 x 4 is written.
    ASSERT_EQ(to.Blt({6, 6, 26, 26}, from, {0, 0, 20, 20}), SurfaceResult::Ok);
    EXPECT_EQ(CountColour(to, 7), 16);
    EXPECT_EQ(to.PixelAt(6, 6), 7u);
    EXPECT_EQ(to.PixelAt(5, 9), 0u);
    // Source hangs over the left edge: the destination columns it cannot feed stay untouched.
    Surface other(10, 10);
    Paint(from, {0, 0, 1, 20}, 9);
    ASSERT_EQ(other.Blt({0, 0, 4, 1}, from, {-2, 0, 2, 1}), SurfaceResult::Ok);
    EXPECT_EQ(other.PixelAt(0, 0), 0u);
    EXPECT_EQ(other.PixelAt(1, 0), 0u);
    EXPECT_EQ(other.PixelAt(2, 0), 9u);
    EXPECT_EQ(other.PixelAt(3, 0), 7u);
    // Entirely outside: nothing happens, and far-off coordinates do not overflow.
    EXPECT_EQ(other.Blt({INT32_MAX - 5, 0, INT32_MAX, 5}, from, {INT32_MIN, 0, INT32_MIN + 5, 5}),
              SurfaceResult::Ok);
    EXPECT_EQ(CountColour(other, 0), 98);
}

TEST(Surface, BltRefusesMismatchedOrEmptyRectangles) {
    Surface a(10, 10);
    Surface b(10, 10);
    EXPECT_EQ(a.Blt({0, 0, 5, 5}, b, {0, 0, 4, 5}), SurfaceResult::InvalidRect);
    EXPECT_EQ(a.Blt({0, 0, 0, 5}, b, {0, 0, 0, 5}), SurfaceResult::InvalidRect);
    EXPECT_EQ(a.Blt({5, 5, 0, 0}, b, {5, 5, 0, 0}), SurfaceResult::InvalidRect);
}

TEST(Surface, BltWithinOneSurfaceHandlesOverlap) {
    Surface s(4, 4);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(s.Lock(desc), SurfaceResult::Ok);
    auto* p = static_cast<std::uint32_t*>(desc.lpSurface);
    for (int i = 0; i < 16; ++i) {
        p[i] = static_cast<std::uint32_t>(i);
    }
    ASSERT_EQ(s.Unlock(), SurfaceResult::Ok);
    // Move rows 0..2 down by one and columns 0..2 right by one.
    ASSERT_EQ(s.Blt({1, 1, 4, 4}, s, {0, 0, 3, 3}), SurfaceResult::Ok);
    EXPECT_EQ(s.PixelAt(1, 1), 0u);
    EXPECT_EQ(s.PixelAt(3, 3), 10u);
    EXPECT_EQ(s.PixelAt(2, 3), 9u);
    EXPECT_EQ(s.PixelAt(1, 2), 4u);
}

TEST(Surface, LockedSurfacesRefuseBlits) {
    Surface a(4, 4);
    Surface b(4, 4);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(b.Lock(desc), SurfaceResult::Ok);
    EXPECT_EQ(a.Blt({0, 0, 4, 4}, b, {0, 0, 4, 4}), SurfaceResult::Busy);
    EXPECT_EQ(b.Blt({0, 0, 4, 4}, a, {0, 0, 4, 4}), SurfaceResult::Busy);
    EXPECT_EQ(b.Unlock(), SurfaceResult::Ok);
    EXPECT_EQ(a.Blt({0, 0, 4, 4}, b, {0, 0, 4, 4}), SurfaceResult::Ok);
}

TEST(Surface, LostSurfaceRefusesUntilRestoredAndComesBackEmpty) {
    Surface a(8, 8);
    Surface b(8, 8);
    Paint(a, {0, 0, 8, 8}, 0x00AABBCC);
    a.SetLost();
    EXPECT_TRUE(a.IsLost());
    DDSURFACEDESC2 desc;
    EXPECT_EQ(a.Lock(desc), SurfaceResult::Lost);
    EXPECT_EQ(b.Blt({0, 0, 8, 8}, a, {0, 0, 8, 8}), SurfaceResult::Lost);
    EXPECT_EQ(a.Blt({0, 0, 8, 8}, b, {0, 0, 8, 8}), SurfaceResult::Lost);
    EXPECT_EQ(CountColour(b, 0), 64);

    EXPECT_EQ(a.Restore(), SurfaceResult::Ok);
    EXPECT_FALSE(a.IsLost());
    EXPECT_EQ(CountColour(a, 0), 64);
    EXPECT_EQ(a.Lock(desc), SurfaceResult::Ok);
    // Restoring under a lock would pull the pixels from under the writer.
    a.SetLost();
    EXPECT_EQ(a.Restore(), SurfaceResult::Busy);
    EXPECT_EQ(a.Unlock(), SurfaceResult::Ok);
    EXPECT_EQ(a.Restore(), SurfaceResult::Ok);
}
