#include "qtapp.h"
#include "scopeview.h"

#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace oxbow::ui {
namespace {

// A picture whose pixel (x, y) is colour(x, y).
template <class Colour> Surface Painted(int width, int height, Colour colour) {
    Surface surface(width, height, width + 13);
    DDSURFACEDESC2 desc;
    EXPECT_EQ(surface.Lock(desc), SurfaceResult::Ok);
    for (int y = 0; y < height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(static_cast<char*>(desc.lpSurface) + y * desc.lPitch);
        for (int x = 0; x < width; ++x)
            row[x] = colour(x, y);
    }
    EXPECT_EQ(surface.Unlock(), SurfaceResult::Ok);
    return surface;
}

// A picture where every pixel differs from its neighbours.
Surface Pattern(int width, int height) {
    return Painted(width, height, [](int x, int y) {
        return (static_cast<std::uint32_t>(x * 7) & 0xff) << 16 |
               (static_cast<std::uint32_t>(y * 5) & 0xff) << 8 |
               static_cast<std::uint32_t>((x + y) & 0xff);
    });
}

// Shows the view at `size`, lets the repaint happen and returns what the widget shows.
QImage Shown(ScopeView& view, QSize size) {
    view.resize(size);
    view.show();
    QCoreApplication::processEvents();
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Every picture pixel appears as a step x step block at `origin` of the shown image.
void ExpectPictureAt(const QImage& shown, const Surface& picture, QPoint origin, int step) {
    int wrong = 0;
    for (int y = 0; y < picture.Height() * step; ++y)
        for (int x = 0; x < picture.Width() * step; ++x) {
            const QRgb want = picture.PixelAt(x / step, y / step) | 0xff000000u;
            wrong += shown.pixel(origin.x() + x, origin.y() + y) != want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ScopeView, APresentedPictureIsShownPixelForPixelAtItsOwnSize) {
    const Surface picture = Pattern(kScopePictureWidth, kScopePictureHeight);
    ScopeView view;
    ASSERT_TRUE(view.Present(picture));

    const QImage shown = Shown(view, QSize(kScopePictureWidth, kScopePictureHeight));
    ASSERT_EQ(view.Scale(), 1);
    ExpectPictureAt(shown, picture, QPoint(0, 0), 1);
    EXPECT_EQ(view.Grab().pixel(100, 200), picture.PixelAt(100, 200) | 0xff000000u);
}

TEST(ScopeView, AGrownViewScalesByWholeStepsAndCentresThePicture) {
    const Surface picture = Pattern(kScopePictureWidth, kScopePictureHeight);
    ScopeView view;
    ASSERT_TRUE(view.Present(picture));

    // Room for a little more than 2x: 2x sharp, with the 20 spare pixels each way split evenly.
    const QImage twice =
        Shown(view, QSize(2 * kScopePictureWidth + 20, 2 * kScopePictureHeight + 20));
    ASSERT_EQ(view.Scale(), 2);
    ASSERT_TRUE(view.Sharp());
    ExpectPictureAt(twice, picture, QPoint(10, 10), 2);
    EXPECT_NE(twice.pixel(5, 5), twice.pixel(10, 10)); // the dark surround
}

// Between whole multiples the picture fills the view (keeping its shape), smoothed: a pixel
// on the screen between two picture pixels mixes them.
TEST(ScopeView, OtherSizesScaleThePictureSmoothlyToFit) {
    const Surface picture = Painted(kScopePictureWidth, kScopePictureHeight, [](int x, int) {
        return x < kScopePictureWidth / 2 ? 0x000000u : 0xFFFFFFu;
    });
    ScopeView view;
    ASSERT_TRUE(view.Present(picture));
    const QImage shown = Shown(view, QSize(1200, 900)); // 1.65x across, the limit
    EXPECT_NEAR(view.Scale(), 1200.0 / kScopePictureWidth, 1e-9);
    EXPECT_FALSE(view.Sharp());
    const QRect area = view.PictureRect();
    EXPECT_EQ(area.width(), 1200);
    EXPECT_EQ(area.height(), qRound(kScopePictureHeight * 1200.0 / kScopePictureWidth));
    EXPECT_EQ(area.top(), (900 - area.height()) / 2);
    int between = 0;
    for (int x = 590; x < 610; ++x) {
        const int grey = qRed(shown.pixel(x, area.center().y()));
        between += grey > 10 && grey < 245 ? 1 : 0;
    }
    EXPECT_GT(between, 0) << "the edge between black and white is smoothed";
    // Mouse positions land on the picture pixel under them at this scale too.
    EXPECT_EQ(view.ToPicture(area.topLeft()), QPoint(0, 0));
    EXPECT_EQ(view.ToPicture(area.bottomRight()),
              QPoint(kScopePictureWidth - 1, kScopePictureHeight - 1));
    // Widget pixel centres 600.5 and 300.5 from the corner: 1.6506 across, 716 / 434 down.
    EXPECT_EQ(view.ToPicture(QPoint(area.left() + 600, area.top() + 300)), QPoint(363, 182));
    for (const QPoint p : {QPoint(0, 0), QPoint(363, 182), QPoint(726, 433)})
        EXPECT_EQ(view.ToPicture(view.FromPicture(p)), p);
}

TEST(ScopeView, MousePositionsMapToPicturePixels) {
    ScopeView view;
    view.resize(2 * kScopePictureWidth + 20, 2 * kScopePictureHeight + 20);
    EXPECT_EQ(view.ToPicture(QPoint(10, 10)), QPoint(0, 0));
    EXPECT_EQ(view.ToPicture(QPoint(11, 13)), QPoint(0, 1));
    EXPECT_EQ(view.ToPicture(QPoint(9, 10)), QPoint(-1, 0));
}

TEST(ScopeView, ASmallerOrLargerSurfaceFillsOnlyWhatFitsAndBadOnesAreRefused) {
    ScopeView status(nullptr, 160, 30);
    const Surface big = Pattern(200, 40);
    ASSERT_TRUE(status.Present(big));
    const QImage front = status.Grab();
    EXPECT_EQ(front.size(), QSize(160, 30));
    EXPECT_EQ(front.pixel(159, 29), big.PixelAt(159, 29) | 0xff000000u);

    Surface locked(160, 30);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(locked.Lock(desc), SurfaceResult::Ok);
    EXPECT_FALSE(status.Present(locked)); // a worker is still drawing into it
    ASSERT_TRUE(status.Present(desc));    // the locked description itself is fine
    EXPECT_EQ(status.Grab().pixel(0, 0), 0xff000000u);
    desc.lPitch = 4; // narrower than a row
    EXPECT_FALSE(status.Present(desc));
    desc.lPitch = 160 * 4;
    desc.ddpfPixelFormat.dwRGBBitCount = 16;
    EXPECT_FALSE(status.Present(desc));
    Surface lost(160, 30);
    lost.SetLost();
    EXPECT_FALSE(status.Present(lost));
}

TEST(ScopeView, FramesPresentedFromAWorkerReachTheScreenAndTheLastOneStays) {
    ScopeView view;
    view.resize(kScopePictureWidth, kScopePictureHeight);
    view.show();
    Surface frame(kScopePictureWidth, kScopePictureHeight);
    std::atomic<bool> presenting{true};
    // Each frame one flat colour; the UI thread repaints while frames keep coming.
    auto presentFrames = [&] {
        for (std::uint32_t i = 1; i <= 200; ++i) {
            DDSURFACEDESC2 desc;
            ASSERT_EQ(frame.Lock(desc), SurfaceResult::Ok);
            for (int y = 0; y < kScopePictureHeight; ++y)
                std::fill_n(reinterpret_cast<std::uint32_t*>(static_cast<char*>(desc.lpSurface) +
                                                             y * desc.lPitch),
                            kScopePictureWidth, i);
            ASSERT_EQ(frame.Unlock(), SurfaceResult::Ok);
            ASSERT_TRUE(view.Present(frame));
        }
    };
    std::thread worker([&] {
        presentFrames();
        presenting = false;
    });
    while (presenting)
        QCoreApplication::processEvents();
    worker.join();
    QCoreApplication::processEvents();
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0) & 0xffffffu, 200u);
    EXPECT_EQ(shown.pixel(kScopePictureWidth - 1, kScopePictureHeight - 1) & 0xffffffu, 200u);
}

TEST(ScopeView, AShownSurfaceIsPaintedFromItsOwnPixelsUntilReleased) {
    auto first = std::make_unique<Surface>(Pattern(kScopePictureWidth, kScopePictureHeight));
    const Surface second = Pattern(kScopePictureWidth + 10, kScopePictureHeight + 5);
    ScopeView view;
    ASSERT_TRUE(view.Show(*first));
    ExpectPictureAt(Shown(view, QSize(kScopePictureWidth, kScopePictureHeight)), *first,
                    QPoint(0, 0), 1);

    // Drawn into while shown (which the composer never does): the view shows it, no copy.
    DDSURFACEDESC2 desc;
    ASSERT_EQ(first->Lock(desc), SurfaceResult::Ok);
    static_cast<std::uint32_t*>(desc.lpSurface)[0] = 0x123456;
    ASSERT_EQ(first->Unlock(), SurfaceResult::Ok);
    EXPECT_EQ(view.Grab().pixel(0, 0), 0xff123456u);

    ASSERT_TRUE(view.Show(second)); // a larger one: its top-left corner
    const QImage corner = Shown(view, QSize(kScopePictureWidth, kScopePictureHeight));
    int wrong = 0;
    for (int y = 0; y < kScopePictureHeight; ++y)
        for (int x = 0; x < kScopePictureWidth; ++x)
            wrong += corner.pixel(x, y) != (second.PixelAt(x, y) | 0xff000000u);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(view.Grab().size(), QSize(kScopePictureWidth, kScopePictureHeight));
    ASSERT_TRUE(view.Show(*first)); // shown again
    EXPECT_EQ(view.Grab().pixel(0, 0), 0xff123456u);

    // Released, the view keeps the picture while the surface is cleared and freed.
    const Surface copy = *first;
    view.Release();
    ASSERT_EQ(first->Lock(desc), SurfaceResult::Ok);
    std::memset(desc.lpSurface, 0, static_cast<std::size_t>(desc.lPitch) * desc.dwHeight);
    ASSERT_EQ(first->Unlock(), SurfaceResult::Ok);
    first.reset();
    ExpectPictureAt(Shown(view, QSize(kScopePictureWidth, kScopePictureHeight)), copy, QPoint(0, 0),
                    1);
    view.Release(); // nothing shown: nothing happens

    Surface small(kScopePictureWidth - 1, kScopePictureHeight);
    EXPECT_FALSE(view.Show(small));
    Surface locked(kScopePictureWidth, kScopePictureHeight);
    ASSERT_EQ(locked.Lock(desc), SurfaceResult::Ok);
    EXPECT_FALSE(view.Show(locked));
    Surface lost(kScopePictureWidth, kScopePictureHeight);
    lost.SetLost();
    EXPECT_FALSE(view.Show(lost));
    EXPECT_EQ(view.Grab().pixel(7, 3), copy.PixelAt(7, 3) | 0xff000000u); // still the last one

    ASSERT_TRUE(view.Present(second)); // a copied picture replaces a shown one
    EXPECT_FALSE(view.Show(locked));
    EXPECT_EQ(view.Grab().pixel(7, 3), second.PixelAt(7, 3) | 0xff000000u);
}

TEST(ScopeView, SaveImageWritesTheFrontBufferAndReportsFailure) {
    const Surface picture = Pattern(kScopePictureWidth, kScopePictureHeight);
    ScopeView view;
    ASSERT_TRUE(view.Present(picture));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(view.SaveImage(path));
    const QImage saved(path);
    ASSERT_EQ(saved.size(), QSize(kScopePictureWidth, kScopePictureHeight));
    EXPECT_EQ(saved.pixel(321, 123), picture.PixelAt(321, 123) | 0xff000000u);
    EXPECT_FALSE(view.SaveImage(dir.filePath(QStringLiteral("missing/shot.png"))));
}

} // namespace
} // namespace oxbow::ui
