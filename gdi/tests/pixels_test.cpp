#include "guarded_surface.h"
#include "oxgdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

DDSURFACEDESC2 Describe(std::vector<std::uint8_t>& bytes, int width, int height, int bits) {
    DDSURFACEDESC2 desc;
    desc.dwWidth = static_cast<std::uint32_t>(width);
    desc.dwHeight = static_cast<std::uint32_t>(height);
    desc.lPitch = width * bits / 8;
    desc.lpSurface = bytes.data();
    desc.ddpfPixelFormat.dwRGBBitCount = static_cast<std::uint32_t>(bits);
    return desc;
}

} // namespace

TEST(PixelAccess, SetAndGetTheFullWordOnThirtyTwoBits) {
    GuardedSurface s(8, 4);
    SetPixel(s.desc, 3, 2, 0x00ABCDEF);
    EXPECT_EQ(s.At(3, 2), 0x00ABCDEFu);
    EXPECT_EQ(GetPixel(s.desc, 3, 2), 0x00ABCDEFu);
    EXPECT_EQ(s.Drawn(), 1);
}

TEST(PixelAccess, TransPixelOrsAndNeverClearsABit) {
    GuardedSurface s(4, 4, 0x00F00F0F);
    SetTransPixel(s.desc, 1, 1, 0x000FF000);
    EXPECT_EQ(s.At(1, 1), 0x00FFFF0Fu);
    SetTransPixel(s.desc, 1, 1, 0);
    EXPECT_EQ(s.At(1, 1), 0x00FFFF0Fu);
}

TEST(PixelAccess, PointsOffTheSurfaceAreSkipped) {
    GuardedSurface s(8, 4);
    for (const CPoint p :
         {CPoint{-1, 0}, CPoint{8, 0}, CPoint{0, -1}, CPoint{0, 4}, CPoint{INT32_MIN, INT32_MAX}}) {
        SetPixel(s.desc, p.x, p.y, 0x123456);
        SetTransPixel(s.desc, p.x, p.y, 0x123456);
        EXPECT_EQ(GetPixel(s.desc, p.x, p.y), 0u);
    }
    EXPECT_TRUE(s.GuardIntact());
    EXPECT_EQ(s.Drawn(), 0);
}

TEST(PixelAccess, NarrowPixelsKeepTheirNeighbours) {
    // 16 bits: a pixel owns two bytes; the neighbour and the end of the buffer stay intact.
    std::vector<std::uint8_t> bytes(3 * 2, 0xEE);
    const DDSURFACEDESC2 desc16 = Describe(bytes, 3, 1, 16);
    SetPixel(desc16, 1, 0, 0x12345678);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xEE, 0xEE, 0x78, 0x56, 0xEE, 0xEE}));
    EXPECT_EQ(GetPixel(desc16, 1, 0), 0x5678u);
    SetPixel(desc16, 2, 0,
             0x0000ABCD); // the last pixel: a full word here would run past the buffer
    EXPECT_EQ(GetPixel(desc16, 2, 0), 0xABCDu);
    SetTransPixel(desc16, 0, 0, 0x0101);
    EXPECT_EQ(GetPixel(desc16, 0, 0), 0xEFEFu);

    std::vector<std::uint8_t> rgb(2 * 3, 0);
    const DDSURFACEDESC2 desc24 = Describe(rgb, 2, 1, 24);
    SetPixel(desc24, 1, 0, 0xFF112233);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{0, 0, 0, 0x33, 0x22, 0x11}));
    EXPECT_EQ(GetPixel(desc24, 1, 0), 0x112233u);
}

TEST(PixelAccess, UnusableDescriptionsDrawNothing) {
    GuardedSurface s(4, 4);
    DDSURFACEDESC2 odd = s.desc;
    odd.ddpfPixelFormat.dwRGBBitCount = 12;
    DDSURFACEDESC2 shortPitch = s.desc;
    shortPitch.lPitch = 8;
    DDSURFACEDESC2 noPixels = s.desc;
    noPixels.lpSurface = nullptr;
    for (const DDSURFACEDESC2& d : {odd, shortPitch, noPixels}) {
        SetPixel(d, 1, 1, 0xFFFFFF);
        FillRectShadow(d, {0, 0, 4, 4}, 0xFFFFFF, false);
        EXPECT_EQ(GetPixel(d, 1, 1), 0u);
    }
    EXPECT_EQ(s.Drawn(), 0);
}
