// OxGDIQt: the device-context side of OxGDI. A QPainter stands in for the device
// context; bitmap resources are the images under the Qt resource prefix ":/bitmaps/",
// one file per resource id ("<id>.png").
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // positive: rows stored bottom-up
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0; // 0: uncompressed
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// A memory device context drawing into a 24-bit bottom-up DIB: what is painted at
// picture row y lands in stored row height - 1 - y, pixels as blue, green, red bytes,
// rows padded to 4 bytes.
class MemoryDC {
public:
    MemoryDC(int width, int height);
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC();

    QPainter& Painter() { return painter_; }
    std::uint8_t* Bits() { return bits_.data(); }
    int Stride() const { return stride_; }
    std::size_t SizeImage() const { return bits_.size(); }

private:
    int stride_;
    std::vector<std::uint8_t> bits_;
    QImage image_;
    QPainter painter_;
};

// Fills the header (size 40, one plane, 24 bits, uncompressed) and returns the context,
// with `bits` pointing at its pixels; null (and bits null) for a size out of 1..32767.
std::unique_ptr<MemoryDC> CreateDIB(BITMAPINFOHEADER& header, std::uint8_t*& bits, int width,
                                    int height);

// The bitmap resource `id`; a null image when there is none.
QImage LoadBitmapResource(int id);

// Draws the bitmap at the painter's origin with every pixel of the key colour replaced by
// `colour`. A missing resource draws nothing.
void DrawColorBitmap(QPainter& dc, int id, QColor colour, QColor key);
// Draws the bitmap leaving the pixels of the key colour untouched.
void DrawTransparentBitmap(QPainter& dc, int id, QColor key);

// The trigger-source label: the device less its top 4 rows filled with the background,
// and, for a non-empty text, the text in a rounded box centred in it.
void DrawTrigSrc(QPainter& dc, const QString& text, QColor textColour, QColor backgroundColour);
