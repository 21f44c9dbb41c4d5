// The spectrum with a chosen transform kernel, so that every kernel can be checked.
#pragma once

#include "fft_kernel.h"

#include <cstdint>
#include <span>

namespace numerix::detail {

int SpectrumWith(TransformKernel kernel, std::span<const std::uint8_t> samples,
                 std::span<std::int16_t> out, int count, float offset, float scale,
                 int windowType, bool dB);

} // namespace numerix::detail
