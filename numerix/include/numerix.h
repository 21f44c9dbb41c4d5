// Numerix: waveform arithmetic (A+B, A-B, A*B), the 2048-point spectrum and 51-tap FIR
// filters behind the math channel. Standard library only.
//
// Buffers are owned by the caller and passed as spans; every function checks the count
// against the spans before it writes anything. Raw samples are unsigned bytes, 125 at the
// vertical centre, 25 counts per division; scales are volts per division, offsets volts.
#pragma once

#include <cstdint>
#include <span>

namespace numerix {

inline constexpr int kFftSize = 2048; // the only spectrum size
inline constexpr int kFftBins = kFftSize / 2;
inline constexpr int kFilterTaps = 51;
inline constexpr int kFilterHalf = kFilterTaps / 2;
inline constexpr int kFilterSlots = 8; // slot numbers 0 .. kFilterSlots - 1

enum WindowType : int { kRectangle = 0, kHanning = 1, kHamming = 2, kBlackman = 3 };
enum FilterType : int { kLowPass = 0, kHighPass = 1, kBandPass = 2, kBandStop = 3 };

} // namespace numerix

// Combine `count` samples of two raw channels into a raw trace at the result's scale and
// offset. Nothing is written when a span is shorter than `count`, a scale is not positive
// or an offset is beyond any screen.
void Math_A_Add_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult);
void Math_A_Sub_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult);
void Math_A_Mul_B(std::span<const std::uint8_t> rawA, std::span<const std::uint8_t> rawB,
                  std::span<std::uint8_t> rawResult, int count, bool invert, float scaleA,
                  float offsetA, float scaleB, float offsetB, float scaleResult,
                  float offsetResult);

// Build and free the spectrum's twiddle table. Math_FFT refuses to run without it.
void FFT_Init();
void FFT_Destory();

// Spectrum of `count` samples (count must be kFftSize) into count / 2 bins: Vrms in counts
// (25 per division of `scale`) or, with `dB`, dBVrms; bin 0 (DC) is always 0.
// Returns count / 2, or -1 with `out` untouched.
int Math_FFT(std::span<const std::uint8_t> samples, std::span<std::int16_t> out, int count,
             float offset, float scale, int windowType, bool dB);
int Math_FFT(std::span<const std::uint16_t> samples, std::span<std::int16_t> out, int count,
             float offset, float scale, int windowType, bool dB);

// Design a 51-tap filter into `slot`; frequencies in cycles per sample (0.5 is Nyquist).
// Returns kFilterTaps, or -1 (the slot is then empty).
int Math_Filter_Init(int type, float frequencyA, float frequencyB, int slot);

// Filter `count` values reflected about `centre`. `input` holds count + kFilterTaps - 1
// values (the ones past `count` continue the trace); `output` receives count + kFilterHalf
// values limited to lowerLimit .. upperLimit - 1. Returns count, or -1 with nothing written.
int Math_Filter(std::span<const std::int32_t> input, std::span<std::int16_t> output, int count,
                int centre, int lowerLimit, int upperLimit, int slot);

void Math_Filter_Destroy(int slot);
