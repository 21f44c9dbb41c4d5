// The colour table of a trace and the library-wide intensity index.
#include "canvas.h"
#include "tracekit.h"

#include <atomic>
#include <cmath>
#include <cstdint>

namespace {

// Set by SetColorTable on the thread that renders; read by the plots on the same thread and
// possibly by others, hence atomic.
std::atomic<std::int16_t> intensityIndex{0};

constexpr float kDimmest = 0.1f;

std::uint32_t Scaled(std::uint32_t color, float x) {
    const auto channel = [&](int shift) {
        return static_cast<std::uint32_t>(static_cast<float>((color >> shift) & 0xFF) * x) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

} // namespace

int tracekit::detail::IntensityIndex() {
    return intensityIndex.load(std::memory_order_relaxed);
}

void SetColorTable(std::uint32_t* table, std::uint32_t color, float x) {
    if (table == nullptr) {
        return;
    }
    if (!(x >= kDimmest)) { // below the dimmest shade, or not a number
        x = kDimmest;
    } else if (x > 1.0f) {
        x = 1.0f;
    }
    const int index = static_cast<int>(x * 128.0f);
    intensityIndex.store(static_cast<std::int16_t>(index > 127 ? 127 : index),
                         std::memory_order_relaxed);
    for (int i = 0; i < tracekit::kColorTableSize; ++i) {
        table[i] = Scaled(color, x);
        x = std::fmin(x + 1.0f / 128.0f, 1.0f);
    }
}
