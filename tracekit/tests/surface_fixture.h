// A trace surface for the tests: 510 rows of 727 pixels (the composition pitch), filled with a
// background colour and wrapped in guard rows, so a write outside the surface is caught.
#pragma once

#include "tracekit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tracekit::test {

inline constexpr std::uint32_t kBackground = 0x00101010;

class TestSurface {
public:
    static constexpr int kWidth = 727;
    static constexpr int kGuardRows = 2;

    TestSurface() : pixels_((kSurfaceRows + 2 * kGuardRows) * kWidth, kBackground) {}

    std::uint32_t* Pixels() { return pixels_.data() + kGuardRows * kWidth; }
    int Pitch() const { return kWidth * 4; }
    std::uint32_t At(int row, int col) const { return pixels_[(row + kGuardRows) * kWidth + col]; }
    bool Drawn(int row, int col) const { return At(row, col) != kBackground; }
    bool operator==(const TestSurface&) const = default;

    // Pixels differing from the background outside rows 0..509 and columns 0..699.
    int StrayPixels() const {
        int stray = 0;
        for (int row = -kGuardRows; row < kSurfaceRows + kGuardRows; ++row) {
            for (int col = 0; col < kWidth; ++col) {
                const bool inside = row >= 0 && row < kSurfaceRows && col < kColumns;
                stray += !inside && Drawn(row, col) ? 1 : 0;
            }
        }
        return stray;
    }
    int DrawnPixels() const {
        return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(),
                                              [](std::uint32_t p) { return p != kBackground; }));
    }
    // Drawn rows of one column, top to bottom.
    std::vector<int> DrawnRows(int col) const {
        std::vector<int> rows;
        for (int row = 0; row < kSurfaceRows; ++row) {
            if (Drawn(row, col)) {
                rows.push_back(row);
            }
        }
        return rows;
    }

private:
    std::vector<std::uint32_t> pixels_;
};

// A colour table whose entry i is the pixel value 0x010000 + i, so a pixel names its shade.
inline std::vector<std::uint32_t> IndexTable() {
    std::vector<std::uint32_t> table(kColorTableSize);
    for (int i = 0; i < kColorTableSize; ++i) {
        table[i] = 0x010000u + static_cast<std::uint32_t>(i);
    }
    return table;
}
inline int ShadeOf(std::uint32_t pixel) {
    return static_cast<int>(pixel - 0x010000u);
}

} // namespace tracekit::test
