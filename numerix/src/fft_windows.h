// The spectrum's window tables (constant data).
#pragma once

namespace numerix::detail {

inline constexpr int kWindowLength = 2048;

extern const double kHanningWindow[kWindowLength];
extern const double kHammingWindow[kWindowLength];
extern const double kBlackmanWindow[kWindowLength];

} // namespace numerix::detail
