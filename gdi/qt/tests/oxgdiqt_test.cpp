#include "oxgdiqt.h"

#include <gtest/gtest.h>

namespace {

// Test resource 9001: 4 x 3, magenta is the key colour.
//   K R R K
//   R K B R
//   K K K B
constexpr int kBitmap = 9001;
const QColor kKey(255, 0, 255);
const QRgb kRed = qRgb(200, 10, 10);
const QRgb kBlue = qRgb(10, 10, 200);
const QRgb kGrey = qRgb(50, 50, 50);

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kGrey);
    return image;
}

int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour;
        }
    }
    return n;
}

} // namespace

TEST(CreateDIB, FillsTheHeaderAndPaintsBottomUpInBlueGreenRed) {
    BITMAPINFOHEADER header;
    std::uint8_t* bits = nullptr;
    auto dc = CreateDIB(header, bits, 5, 3);
    ASSERT_NE(dc, nullptr);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 5);
    EXPECT_EQ(header.biHeight, 3);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 16u * 3); // 15 bytes a row padded to 16
    dc->Painter().fillRect(1, 0, 1, 1, QColor(255, 128, 1));
    dc->Painter().fillRect(4, 2, 1, 1, QColor(9, 8, 7));
    // Picture row 0 is the last stored row.
    const std::uint8_t* top = bits + 2 * 16;
    EXPECT_EQ(top[3], 1);
    EXPECT_EQ(top[4], 128);
    EXPECT_EQ(top[5], 255);
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(bits[12], 7);
    EXPECT_EQ(bits[13], 8);
    EXPECT_EQ(bits[14], 9);
    EXPECT_EQ(bits[15], 0); // padding untouched
}

TEST(CreateDIB, RefusesSizesOutOfRange) {
    for (const auto& [w, h] : {std::pair{0, 3}, std::pair{3, -1}, std::pair{40000, 2}}) {
        BITMAPINFOHEADER header;
        std::uint8_t* bits = reinterpret_cast<std::uint8_t*>(&header);
        EXPECT_EQ(CreateDIB(header, bits, w, h), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
}

TEST(Bitmaps, ColorBitmapReplacesTheKeyColour) {
    ASSERT_FALSE(LoadBitmapResource(kBitmap).isNull());
    QImage image = Canvas(6, 5);
    {
        QPainter dc(&image);
        dc.translate(1, 1);
        DrawColorBitmap(dc, kBitmap, QColor(0, 255, 0), kKey);
    }
    EXPECT_EQ(CountColour(image, qRgb(0, 255, 0)), 6);
    EXPECT_EQ(CountColour(image, kRed), 4);
    EXPECT_EQ(CountColour(image, kBlue), 2);
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 1), kRed);
    EXPECT_EQ(image.pixel(0, 0), kGrey);
    EXPECT_EQ(CountColour(image, kGrey), 30 - 12);
}

TEST(Bitmaps, TransparentBitmapLeavesKeyPixelsAlone) {
    QImage image = Canvas(4, 3);
    {
        QPainter dc(&image);
        DrawTransparentBitmap(dc, kBitmap, kKey);
    }
    EXPECT_EQ(CountColour(image, kGrey), 6);
    EXPECT_EQ(CountColour(image, kRed), 4);
    EXPECT_EQ(image.pixel(3, 2), kBlue);
}

TEST(Bitmaps, MissingResourceDrawsNothing) {
    QImage image = Canvas(4, 3);
    {
        QPainter dc(&image);
        DrawColorBitmap(dc, 12345, Qt::green, kKey);
        DrawTransparentBitmap(dc, 12345, kKey);
    }
    EXPECT_EQ(CountColour(image, kGrey), 12);
}

TEST(TrigSrc, FillsBelowTheTopGapAndCentresTheText) {
    QImage image(80, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter dc(&image);
        DrawTrigSrc(dc, QStringLiteral("CH1"), Qt::black, QColor(0, 0, 255));
    }
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(image.pixel(0, y), qRgb(255, 255, 255)) << y;
    }
    EXPECT_EQ(image.pixel(0, 4), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(79, 23), qRgb(0, 0, 255));
    // The darkest pixels (box outline and text) sit around the centre of the filled area.
    int left = 80, right = -1, top = 24, bottom = -1;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (qGray(image.pixel(x, y)) < 20) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, left);
    EXPECT_LE(std::abs((left + right) - 79), 3);
    EXPECT_LE(std::abs((top + bottom) - (4 + 23)), 3);
    EXPECT_GE(top, 4);
}

TEST(TrigSrc, EmptyTextOnlyFills) {
    QImage image(30, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter dc(&image);
        DrawTrigSrc(dc, QString(), Qt::black, QColor(0, 0, 255));
    }
    EXPECT_EQ(CountColour(image, qRgb(0, 0, 255)), 30 * 12);
    EXPECT_EQ(CountColour(image, qRgb(255, 255, 255)), 30 * 4);
}
