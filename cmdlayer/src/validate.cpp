// Validation rules of every adjustable quantity: ranges, messages and rounding.
#include "ox_validate.h"

#include "ox_queue.h"
#include "oxcommon.h"
#include "oxmsg_state.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

// GetValidData precisions: 3 significant digits to the millis for voltages, levels,
// ratios and most times; 4 digits to the nanos for time scales and offsets; 3
// digits to the nanos for trigger times, whose limits (20 ns, 100 ns) lie far below
// a millisecond.
double Round3(double x) {
    return GetValidData(x, 3, -3);
}
double Round4(double x) {
    return GetValidData(x, 4, -9);
}
double Round3Fine(double x) {
    return GetValidData(x, 3, -9);
}

void ReportLimit(const char* stem, const char* which) {
    if (stem != nullptr) SetSystemError(std::string(stem) + " at " + which + " limit");
}

// Clamps v to [lo, hi] in the validator's own type, so a limit given as a literal
// compares equal to the same literal passed in. NaN counts as below the range.
template <class T> T Clamp(T v, T lo, T hi, const char* stem) {
    if (!(v >= lo)) {
        ReportLimit(stem, "lower");
        return lo;
    }
    if (v > hi) {
        ReportLimit(stem, "upper");
        return hi;
    }
    return v;
}

float Clamp3(float v, float lo, float hi, const char* stem) {
    return static_cast<float>(Round3(Clamp(v, lo, hi, stem)));
}

double ClampTrigTime(double v, double lo, double hi, const char* stem) {
    return Round3Fine(Clamp(v, lo, hi, stem));
}

double SnapTimeScale(double scale) {
    return Round4(ValidateScale(scale));
}

// "a > b" for values that went through float storage: a stored 0.2 V/div is not
// above a 0.2 V/div threshold.
bool Above(double a, double b) {
    return a > b * (1.0 + 1e-6);
}

bool IsAnalogChannel(int channel) {
    return channel == 0 || channel == 1;
}

// Time per division of the channel's time base: the main one, or the channel's
// alternate-trigger time base while the alternate trigger is on.
double FFTBaseTimeScale(int channel) {
    const _OX_SETUP& setup = SetupForRules();
    if (setup.nTrigMode == oxcmd::code::kAlternate && IsAnalogChannel(channel))
        return setup.dAltTimeScale[channel];
    return setup.dTimeScale;
}

struct ZoomStep {
    double ratio;
    int index;
};

// The zoom steps from coarsest to finest; a ratio snaps up to the next step.
constexpr ZoomStep kZoomSteps[] = {{10, 1}, {5, 2}, {2, 3}, {1, 4}, {0.5, 5}, {0.2, 6}, {0.1, 7}};

ZoomStep SnapZoom(double r) {
    if (!(r >= 0.1)) {
        ReportLimit("Time/Div", "lower");
        return kZoomSteps[6];
    }
    if (r > 10) {
        ReportLimit("Time/Div", "upper");
        return kZoomSteps[0];
    }
    ZoomStep chosen = kZoomSteps[0];
    for (const ZoomStep& step : kZoomSteps)
        if (r <= step.ratio * (1.0 + 1e-9)) chosen = step;
    return chosen;
}

double FFTHorizScaleFor(double freqPerDiv, double timeScale, int channel, int* zoom) {
    const double base = 100.0 / (20.0 * timeScale);
    const ZoomStep step = SnapZoom(freqPerDiv / base);
    if (zoom != nullptr && channel >= 0 && channel < kFFTZoomSlots) zoom[channel] = step.index;
    return step.ratio * base;
}

float LogicThreshold(const _OX_SETUP& setup) {
    switch (setup.nLaThresholdType) {
    case oxcmd::code::kTTL:
        return 1.4f; // TTL
    case oxcmd::code::kCMOS:
        return 2.5f; // CMOS
    case oxcmd::code::kECL:
        return -1.3f; // ECL
    case oxcmd::code::kUserLevel:
        return setup.fLaThresholdUser;
    default:
        return setup.fLaThreshold;
    }
}

constexpr int kFirstDigitalSource = 6;
constexpr int kAcLineSource = 5;

float SourceLevel(const _OX_SETUP& setup, int source, float level) {
    if (source >= kFirstDigitalSource) return LogicThreshold(setup);
    return source == kAcLineSource ? 0.0f : level;
}

float AltTrigLevel(const _OX_SETUP& setup, int channel, int sub) {
    if (!IsAnalogChannel(channel)) return 0.0f;
    switch (setup.nAltType[channel]) {
    case oxcmd::code::kEdge:
        return setup.fAltEdgeLevel[channel];
    case oxcmd::code::kPulse:
        return setup.fAltPulseLevel[channel];
    case oxcmd::code::kSlope:
        return sub == 0 ? setup.fAltSlopeLevelA[channel] : setup.fAltSlopeLevelB[channel];
    case oxcmd::code::kVideo:
        return setup.fAltVideoLevel[channel];
    default:
        return 0.0f;
    }
}

} // namespace

const char* DomainRefusal(OxDomain domain, double value) {
    if (value > 0) return nullptr;
    switch (domain) {
    case OxDomain::VoltsPerDiv:
        return "Volts/Div must be greater than 0";
    case OxDomain::TimePerDiv:
        return "Time/Div must be greater than 0";
    case OxDomain::AverageCount:
        return "Acquire average number must be greater than 0";
    }
    return "Function not available";
}

float ValidateCHScale(float scale, float probe) {
    return Clamp3(scale, 0.002f * probe, 10.0f * probe, "Volts/Div");
}

float ValidateRefVertScale(float scale, float probe) {
    return ValidateCHScale(scale, probe);
}

float ValidateCHOffset(float scale, float offset, float probe) {
    // The input stage offsets ±2 V up to 0.2 V/div and ±40 V above; at the probe
    // tip both the scale and the range carry the probe ratio once.
    const float limit = Above(scale, 0.2 * probe) ? 40.0f * probe : 2.0f * probe;
    return Clamp3(offset, -limit, limit, "Volt offset");
}

float ValidateFilterLimit(float limit) {
    return Clamp3(limit, 0.005f, 0.495f, "Filter frequency");
}

float ValidateMathScalef(float scale) {
    return Clamp3(scale, 0.001f, 10.0f, "Volts/Div");
}

int ValidateMathScalen(int index) {
    return Clamp(index, 0, 12, "Volts/Div");
}

int ValidateFFTVrmsScalen(int index) {
    return ValidateMathScalen(index);
}

float ValidateFFTVrmsScalef(float scale) {
    return Clamp3(scale, 0.002f, 10.0f, "Volts/Div");
}

float ValidateMathOffset(float offset, float scale) {
    const float limit = std::fabs(40.0f * scale);
    return Clamp3(offset, -limit, limit, "Position");
}

float ValidateFFTVrmsOffset(float offset, float scale) {
    return ValidateMathOffset(offset, scale);
}

float ValidateFFTdBVrmsOffset(float offset, float scale) {
    return ValidateMathOffset(offset, scale);
}

float ValidateFFTdBVrmsScale(float scale) {
    return Clamp3(scale, 1.0f, 100.0f, "Volts/Div");
}

double ValidateFFTHorizScale(double freqPerDiv, int channel, int* zoom) {
    return FFTHorizScaleFor(freqPerDiv, FFTBaseTimeScale(channel), channel, zoom);
}

double ValidateRefFFTHorizScale(double freqPerDiv, double refTimeScale, int channel, int* zoom) {
    return FFTHorizScaleFor(freqPerDiv, refTimeScale, channel, zoom);
}

double ValidateFFTHorizOffset(double offset, double span) {
    return Round3(Clamp(offset, 0.0, 10.0 * span, "Trigger position"));
}

float ValidateRefVertOffset(float offset, float scale) {
    const float limit = scale < 0.2f ? 4.0f : 40.0f;
    return Clamp3(offset, -limit, limit, "Position");
}

double ValidateRefHorizScale(double scale) {
    const double lowest = Round4(SetupForRules().fMinTimeScale);
    return SnapTimeScale(Clamp(scale, lowest, 50.0, "Time/Div"));
}

double ValidateRefHorizOffset(double offset) {
    return Round4(Clamp(offset, -1.0, 1.0, "Trigger position"));
}

float ValidateLaUserThresholdLevel(float level) {
    return Clamp3(level, -8.0f, 8.0f, "Threshold level");
}

double ValidateTimeOffset(double offset) {
    const _OX_SETUP& setup = SetupForRules();
    const bool running = setup.bRun != 0;
    double lo = -500.0;
    double hi = 500.0;
    if (setup.bSlowSweep && running) {
        hi = 6.0 * setup.dTimeScale;
        lo = -hi;
    } else if (setup.nTimeFormat == oxcmd::code::kRolling) {
        if (running) return 0.0;
        lo = -14.0 * setup.dTimeScaleRec;
        hi = 0.0;
    } else if (running) {
        // Half the record before the trigger; without a known rate the stopped
        // range stands in for it.
        if (setup.fSampleRateMem > 0)
            lo = -(setup.nAcqMemory / 2) / static_cast<double>(setup.fSampleRateMem);
        hi = 1.0;
    }
    return Round4(Clamp(offset, lo, hi, "Trigger position"));
}

double ValidateAltTrigHorizOffset(double offset) {
    return ValidateTimeOffset(offset);
}

double ValidateTimeScale(double scale) {
    const _OX_SETUP& setup = SetupForRules();
    const double lowest =
        setup.nTimeFormat == oxcmd::code::kXY ? 0.0002 : Round4(setup.fMinTimeScale);
    return SnapTimeScale(Clamp(scale, lowest, 50.0, "Time/Div"));
}

std::int64_t ValidateTimeScale64(std::int64_t scalePs) {
    const std::int64_t lowest = ConvertToLONG(Round4(SetupForRules().fMinTimeScale), 12);
    return Clamp<std::int64_t>(scalePs, lowest, 50'000'000'000'000, "Time/Div");
}

std::int64_t ValidateTimeDelayedOffset64(std::int64_t offsetPs) {
    return offsetPs;
}

double ValidateAltTrigHorizScale(double scale) {
    return SnapTimeScale(Clamp(scale, 5e-9, 0.02, nullptr));
}

float ValidateWaveIntensity(float fraction) {
    return Clamp3(fraction, 0.0f, 1.0f, "Wave intensity");
}

float ValidateGridIntensity(float fraction) {
    return Clamp3(fraction, 0.0f, 1.0f, "Grid intensity");
}

float ValidatePFHorizRange(float divisions) {
    return Clamp3(divisions, 0.04f, 4.0f, "P/F Horizontal adjust");
}

float ValidatePFVertRange(float divisions) {
    return Clamp3(divisions, 0.04f, 4.0f, "P/F Vertical adjust");
}

float ValidateTrigSensitivity(float divisions) {
    return Clamp3(divisions, 0.1f, 1.0f, "Trigger sensitivity");
}

int ValidateAcqAvgNumber(int count) {
    // Nearest power of two by the base-2 logarithm, halves up; then [2, 256].
    const double exponent = count > 0 ? std::floor(std::log2(count) + 0.5) : 0.0;
    const int snapped = exponent > 8 ? 512 : 1 << static_cast<int>(exponent);
    return Clamp(snapped, 2, 256, "Acquire average number");
}

double ValidateTrigHoldoff(double seconds) {
    return ClampTrigTime(seconds, 100e-9, 1.5, "Trigger holdoff");
}

double ValidateTrigPulseWidth(double seconds) {
    return ClampTrigTime(seconds, 20e-9, 10.0, "Pulse width");
}

double ValidateTrigSlopeTime(double seconds) {
    return ClampTrigTime(seconds, 20e-9, 10.0, "Slope time");
}

double ValidateTrigDurationTime(double seconds) {
    return ValidateTrigSlopeTime(seconds);
}

int ValidateTrigVideoLine(int line, int standard) {
    return Clamp(line, 1, standard == 0 ? 525 : 625, nullptr);
}

float ValidateTrigLevel(float level, float scale, float offset, int source) {
    if (source == 3) return Clamp3(level, -6.0f, 6.0f, "Trigger level");
    return Clamp3(level, -6.0f * scale - offset, 6.0f * scale - offset, "Trigger level");
}

int ValidRecordEndFrame(int frames) {
    return Clamp(frames, 1, 1000, "Record frames");
}

int ValidRecordCurFrame(int frame) {
    return Clamp(frame, 1, std::max(1, SetupForRules().nRecordFrames), nullptr);
}

double ValidRecordInterval(double seconds) {
    return Round3(Clamp(seconds, 0.001, 1000.0, "Record interval"));
}

double ValidPlaybackInterval(double seconds) {
    return Round3(Clamp(seconds, 0.001, 20.0, "Playback interval"));
}

int ValidPlaybackCurFrm(int frame) {
    const _OX_SETUP& setup = SetupForRules();
    const int first = setup.nPlayStartFrame;
    return Clamp(frame, first, std::max(first, setup.nPlayEndFrame), "Playback current frame");
}

std::int64_t ConvertToLONG(double value, int exponent) {
    const double scaled = value * std::pow(10.0, exponent);
    if (std::isnan(scaled)) return 0;
    constexpr double kLimit = 9.2233720368547748e18; // 2^63
    if (scaled >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (scaled <= -kLimit) return std::numeric_limits<std::int64_t>::min();
    return std::llround(scaled);
}

void SetTimeBase(std::int64_t& scale, std::int64_t& minimum, std::int64_t& offset,
                 std::int64_t& delayedOffset, bool keepMinimum) {
    if (scale < minimum) {
        if (keepMinimum) {
            scale = ValidateTimeScale64(minimum);
            ReportLimit("Time/Div", "lower");
        } else {
            minimum = ValidateTimeScale64(scale);
            ReportLimit("Time/Div", "upper");
        }
    }
    const std::int64_t half = std::max<std::int64_t>(0, (scale - minimum) * 14 / 2);
    const std::int64_t distance = std::clamp(delayedOffset - offset, -half, half);
    delayedOffset = ValidateTimeDelayedOffset64(offset + distance);
}

float GetTrigLevelValue(int type, int channel, int sub) {
    const _OX_SETUP& setup = SetupForRules();
    switch (type) {
    case 0:
        return SourceLevel(setup, setup.nEdgeSource, setup.fEdgeLevel);
    case 1:
        return SourceLevel(setup, setup.nPulseSource, setup.fPulseLevel);
    case 2:
        return sub == 0 ? setup.fSlopeLevelA : setup.fSlopeLevelB;
    case 3:
        return setup.fVideoLevel;
    case 4:
        return AltTrigLevel(setup, channel, sub);
    case 5:
    case 6:
        return LogicThreshold(setup); // pattern and duration act on the digital lines
    default:
        return 0.0f;
    }
}
