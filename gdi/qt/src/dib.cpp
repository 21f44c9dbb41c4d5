#include "oxgdiqt.h"

namespace {

constexpr int kMaxSide = 32767;
constexpr int kBytesPerPixel = 3;

int PaddedStride(int width) {
    return (width * kBytesPerPixel + 3) & ~3;
}

} // namespace

MemoryDC::MemoryDC(int width, int height)
    : stride_(PaddedStride(width)),
      bits_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0),
      image_(bits_.data(), width, height, stride_, QImage::Format_BGR888), painter_(&image_) {
    // Stored rows run bottom-up: flip the picture so that row 0 is drawn into the last stored row.
    painter_.translate(0, height);
    painter_.scale(1, -1);
}

MemoryDC::~MemoryDC() {
    painter_.end();
}

std::unique_ptr<MemoryDC> CreateDIB(BITMAPINFOHEADER& header, std::uint8_t*& bits, int width,
                                    int height) {
    bits = nullptr;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        return nullptr;
    }
    auto dc = std::make_unique<MemoryDC>(width, height);
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = 0;
    header.biSizeImage = static_cast<std::uint32_t>(dc->SizeImage());
    bits = dc->Bits();
    return dc;
}
