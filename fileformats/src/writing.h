// What the writers share: the sample blocks after a header, and the atomic write.
#pragma once

#include "fileformats.h"

#include <string>

namespace oxfile {

// A finite rate or scale above 0.
[[nodiscard]] bool Positive(double value);

// The stored record's sample rate: the real-time rate, or the equivalent-time rate.
[[nodiscard]] double RecordRate(const _OX_SETUP& setup);

// One channel's samples, point count, time axis and code-to-volt mapping.
struct ChannelColumn {
    const std::uint8_t* samples = nullptr;
    int points = 0;
    double dt = 0;
    double t0 = 0;
    double zero = 0;
    double voltsPerCode = 0;

    [[nodiscard]] double Time(int i) const { return (i - points / 2) * dt + t0; }
    [[nodiscard]] double Volts(int i) const { return (zero - samples[i]) * voltsPerCode; }
};

// Fills the column of channel c for `points` points at `rate` from time `t0`; false when
// the rate or the recorded scale is not positive or the buffer is too short.
[[nodiscard]] bool MakeColumn(const _OX_SETUP& s, int c, std::span<const std::uint8_t> buffer,
                              int points, double rate, double t0, ChannelColumn& column);

// True when every buffer holds its count.
[[nodiscard]] bool Holds(const ConstSamples& samples, const SampleCounts& counts);

// Appends the CH1, CH2 and analyzer samples, each its count long.
void AppendSamples(std::string& image, const ConstSamples& samples, const SampleCounts& counts);

// Writes the image through OxWriteFile: a temporary file renamed over the target.
[[nodiscard]] Result WriteImage(const std::string& path, const std::string& image, bool overwrite);

} // namespace oxfile
