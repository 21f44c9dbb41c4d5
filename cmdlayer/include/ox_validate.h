// Validation of every adjustable quantity. A validator clamps its argument to the
// legal range (limits inclusive), reports a clamp through SetSystemError with
// "<stem> at lower limit" / "<stem> at upper limit" (at most one message per
// call), and rounds the result. Validators read the shared setup record and write
// nothing in it. A NaN argument is treated as below the lower limit.
#pragma once

#include <cstdint>

// Quantities whose domain is narrower than every number: a scale per division and an
// average count are above zero. A value outside its quantity's domain means nothing for it
// and is refused whole (the handlers store and send nothing, the panel posts nothing);
// only a value inside the domain but past a limit is clamped, with its limit message.
enum class OxDomain : std::uint8_t { VoltsPerDiv, TimePerDiv, AverageCount };
// nullptr when `value` lies in the domain of `domain`; otherwise the refusal to show
// ("Time/Div must be greater than 0"). NaN lies in no domain.
[[nodiscard]] const char* DomainRefusal(OxDomain domain, double value);

// Vertical.
float ValidateCHScale(float scale, float probe);
float ValidateRefVertScale(float scale, float probe);
// Range ±2 × probe up to 0.2 V/div at the input (scale ≤ 0.2 × probe), ±40 × probe above.
float ValidateCHOffset(float scale, float offset, float probe);
float ValidateFilterLimit(float limit);

// Math, FFT and reference traces.
float ValidateMathScalef(float scale);
int ValidateMathScalen(int index);
int ValidateFFTVrmsScalen(int index);
float ValidateFFTVrmsScalef(float scale);
float ValidateMathOffset(float offset, float scale);
float ValidateFFTVrmsOffset(float offset, float scale);
float ValidateFFTdBVrmsOffset(float offset, float scale);
float ValidateFFTdBVrmsScale(float scale);
// Frequency per division snapped to the FFT zoom steps of the channel's time base.
// `zoom` (may be null) has one entry per further trace; zoom[channel] receives the
// step index (1 = ×10 … 7 = ×0.1) when channel is within it.
constexpr int kFFTZoomSlots = 4;
double ValidateFFTHorizScale(double freqPerDiv, int channel, int* zoom);
double ValidateRefFFTHorizScale(double freqPerDiv, double refTimeScale, int channel, int* zoom);
double ValidateFFTHorizOffset(double offset, double span);
float ValidateRefVertOffset(float offset, float scale);
double ValidateRefHorizScale(double scale);
double ValidateRefHorizOffset(double offset);

// Logic analyzer.
float ValidateLaUserThresholdLevel(float level);

// Timebase.
double ValidateTimeOffset(double offset);
double ValidateAltTrigHorizOffset(double offset);
double ValidateTimeScale(double scale);
std::int64_t ValidateTimeScale64(std::int64_t scalePs);
std::int64_t ValidateTimeDelayedOffset64(std::int64_t offsetPs);
double ValidateAltTrigHorizScale(double scale);

// Display and pass/fail.
float ValidateWaveIntensity(float fraction);
float ValidateGridIntensity(float fraction);
float ValidatePFHorizRange(float divisions);
float ValidatePFVertRange(float divisions);

// Acquisition and trigger. Trigger times keep 3 significant digits down to 1 ns.
float ValidateTrigSensitivity(float divisions);
int ValidateAcqAvgNumber(int count);
double ValidateTrigHoldoff(double seconds);
double ValidateTrigPulseWidth(double seconds);
double ValidateTrigSlopeTime(double seconds);
double ValidateTrigDurationTime(double seconds);
int ValidateTrigVideoLine(int line, int standard);
float ValidateTrigLevel(float level, float scale, float offset, int source);

// Record and playback.
int ValidRecordEndFrame(int frames);
int ValidRecordCurFrame(int frame);
double ValidRecordInterval(double seconds);
double ValidPlaybackInterval(double seconds);
int ValidPlaybackCurFrm(int frame);

// value × 10^exponent rounded to the nearest integer (halves away from zero),
// saturated to the 64-bit range; NaN gives 0.
std::int64_t ConvertToLONG(double value, int exponent);

// Keeps the delayed window inside the main one (all in picoseconds): the delayed
// scale `minimum` never exceeds the main `scale` (keepMinimum raises the main scale,
// otherwise the delayed scale is lowered), and the delayed offset stays within
// seven main divisions less the delayed window's half width of the main offset.
void SetTimeBase(std::int64_t& scale, std::int64_t& minimum, std::int64_t& offset,
                 std::int64_t& delayedOffset, bool keepMinimum);

// The trigger level that applies to trigger type `type` (0 EDGE … 6 DURATION);
// `channel` is the alternate-trigger channel, `sub` 0/1 picks slope level A/B.
float GetTrigLevelValue(int type, int channel, int sub);
