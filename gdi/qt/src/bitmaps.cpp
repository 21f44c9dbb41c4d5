#include "oxgdiqt.h"

#include <optional>

namespace {

// The resource with key-coloured pixels replaced: by `colour`, or made transparent.
QImage Keyed(int id, QColor key, std::optional<QColor> colour) {
    QImage image = LoadBitmapResource(id);
    if (image.isNull()) {
        return image;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & RGB_MASK;
    const QRgb replacement = colour ? colour->rgb() : qRgba(0, 0, 0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & RGB_MASK) == keyRgb) {
                row[x] = replacement;
            }
        }
    }
    return image;
}

} // namespace

QImage LoadBitmapResource(int id) {
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

void DrawColorBitmap(QPainter& dc, int id, QColor colour, QColor key) {
    const QImage image = Keyed(id, key, colour);
    if (!image.isNull()) {
        dc.drawImage(0, 0, image);
    }
}

void DrawTransparentBitmap(QPainter& dc, int id, QColor key) {
    const QImage image = Keyed(id, key, std::nullopt);
    if (!image.isNull()) {
        dc.drawImage(0, 0, image);
    }
}
