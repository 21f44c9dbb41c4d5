// The spectrum with a chosen transform kernel, so that every kernel can be checked, and the
// tables it runs on.
#pragma once

#include "fft_kernel.h"

#include <cstdint>
#include <memory>
#include <span>

namespace numerix::detail {

// The tables FFT_Init installs (twiddles, stage twiddles, windows); null when out of memory.
std::shared_ptr<const FftTables> BuildTables();

int SpectrumWith(TransformKernel kernel, std::span<const std::uint8_t> samples,
                 std::span<std::int16_t> out, int count, float offset, float scale, int windowType,
                 bool dB);

} // namespace numerix::detail
