#include "bkbitmap.h"
#include "fancyctl.h"
#include "qtapp.h"

namespace {

constexpr int kTestBitmap = 9101; // 4 x 3, pixel (x, y) = (60x, 100y, 200)

QRgb Expected(int x, int y) {
    return qRgb(60 * x, 100 * y, 200);
}

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

TEST(LoadBkBitmap, CopiesTheWholeBitmapToThePosition) {
    QImage target = Blank(10, 10);
    {
        QPainter dc(&target);
        ASSERT_TRUE(LoadBkBitmap(dc, kTestBitmap, 5, 6));
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.pixel(5 + x, 6 + y), Expected(x, y)) << x << "," << y;
    EXPECT_EQ(target.pixel(4, 6), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(9, 9), qRgb(0, 0, 0));
}

TEST(LoadBkBmp, CopiesThePartFromTheSourcePosition) {
    QImage target = Blank(10, 10);
    {
        QPainter dc(&target);
        ASSERT_TRUE(LoadBkBmp(&dc, 0, 0, 2, 2, kTestBitmap, 1, 1));
    }
    EXPECT_EQ(target.pixel(0, 0), Expected(1, 1));
    EXPECT_EQ(target.pixel(1, 1), Expected(2, 2));
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(0, 2), qRgb(0, 0, 0));
}

TEST(LoadBkBitmap, AMissingBitmapOrAnIdlePainterDrawsNothingAndSaysSo) {
    QImage target = Blank(10, 10);
    QPainter idle;
    EXPECT_FALSE(LoadBkBitmap(idle, kTestBitmap, 0, 0));
    EXPECT_FALSE(LoadBkBmp(nullptr, 0, 0, 2, 2, kTestBitmap, 0, 0));
    {
        QPainter dc(&target);
        EXPECT_FALSE(LoadBkBitmap(dc, 9999, 0, 0));
        EXPECT_FALSE(LoadBkBmp(&dc, 0, 0, 0, 2, kTestBitmap, 0, 0));
    }
    EXPECT_EQ(target, Blank(10, 10));
    // Only the id's low 16 bits name the bitmap.
    QPainter dc(&target);
    EXPECT_TRUE(LoadBkBitmap(dc, 0x10000 | kTestBitmap, 0, 0));
}

TEST(CCommonDlg, ABackgroundBitmapReplacesThePaintedSkin) {
    CCommonDlg dialog(1);
    dialog.resize(20, 20);
    const QImage skin = dialog.grab().toImage();
    dialog.SetFile(kTestBitmap);
    const QImage bitmap = dialog.grab().toImage();
    EXPECT_EQ(bitmap.pixel(3, 2), Expected(3, 2));
    EXPECT_NE(skin.pixel(3, 2), Expected(3, 2));
}

} // namespace
