// Shared helpers of the simulator's tests: reading block fields and cutting frames.
#pragma once

#include "ox_records.h"
#include "oxsim.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace oxbow::sim::test {

inline DSO_SETUP DsoBlock(Instrument& instrument) {
    DSO_SETUP block;
    const auto bytes = instrument.ReadBlock(Block::Dso);
    std::memcpy(block.bytes, bytes.data(), sizeof block.bytes);
    return block;
}

inline std::uint32_t U16(const std::vector<std::uint8_t>& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8);
}

inline std::uint32_t U32(const std::vector<std::uint8_t>& data, std::size_t at) {
    return U16(data, at) | (U16(data, at + 2) << 16);
}

// A running instrument on its own manual clock.
inline std::unique_ptr<Instrument> MakeInstrument(const std::string& model = "OXB-A3M") {
    InstrumentOptions options;
    options.model = model;
    return std::make_unique<Instrument>(options, std::make_shared<ManualClock>());
}

// The frames of a USB live block in the order they were taken, each `stride` bytes.
inline std::vector<std::vector<std::uint8_t>> FramesOf(const std::vector<std::uint8_t>& block,
                                                       std::size_t stride) {
    std::vector<std::vector<std::uint8_t>> frames;
    if (block.size() <= kUsbBlockHeader) {
        return frames;
    }
    const int count = static_cast<int>(U16(block, 4));
    const int write = static_cast<int>(U16(block, 6));
    int slot = (write - count + kRingFrames) % kRingFrames;
    for (int k = 0; k < count; ++k) {
        const auto* start = block.data() + kUsbBlockHeader + slot * stride;
        frames.emplace_back(start, start + stride);
        slot = (slot + 1) % kRingFrames;
    }
    return frames;
}

// The sample where the codes cross `code` going up in voltage (down in code), nearest
// to `around`; falling selects the other direction.
inline std::optional<int> Crossing(const std::uint8_t* samples, int code, int around,
                                   bool falling = false) {
    std::optional<int> best;
    for (int i = 1; i < kFrameSamples; ++i) {
        const bool rising = samples[i - 1] > code && samples[i] <= code;
        const bool down = samples[i - 1] <= code && samples[i] > code;
        if ((falling ? down : rising) &&
            (!best || std::abs(i - around) < std::abs(*best - around))) {
            best = i;
        }
    }
    return best;
}

} // namespace oxbow::sim::test
