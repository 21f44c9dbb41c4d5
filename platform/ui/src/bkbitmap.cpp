#include "bkbitmap.h"

#include "oxgdiqt.h"

namespace {

constexpr int kLoadAttempts = 3;

// The bitmap, loaded again when a load fails (an image that could not be allocated).
QImage LoadBackground(int id) {
    QImage image;
    for (int attempt = 0; attempt < kLoadAttempts && image.isNull(); ++attempt)
        image = LoadBitmapResource(id & 0xffff);
    return image;
}

} // namespace

bool LoadBkBitmap(QPainter& dc, int id, int x, int y) {
    if (!dc.isActive()) return false;
    const QImage image = LoadBackground(id);
    if (image.isNull()) return false;
    dc.drawImage(x, y, image);
    return true;
}

bool LoadBkBmp(QPainter* dc, int x, int y, int width, int height, int id, int srcX, int srcY) {
    if (dc == nullptr || !dc->isActive() || width <= 0 || height <= 0) return false;
    const QImage image = LoadBackground(id);
    if (image.isNull()) return false;
    dc->drawImage(x, y, image, srcX, srcY, width, height);
    return true;
}
