// The check of a settings file's image before its restore-table fields are taken over:
// every selector and index in its range, every number finite and within the command
// layer's validators (or as the default setup leaves it). The table holds no text: the
// unit texts of the further traces are set from their operators after the restore.
#include "oxshell.h"

#include "ox_validate.h"

#include <cmath>
#include <cstring>
#include <string>

namespace oxacq {

namespace {

constexpr int kTraces = 4;
constexpr int kChannels = 2;
constexpr int kLogicLines = 16;
constexpr std::int32_t kLastActiveChannel = 9; // 9: none
constexpr std::int32_t kLastMathOperator = 4;  // FILTER
constexpr std::int32_t kLastFilterType = 3;    // BANDREJECT
constexpr std::int32_t kLastFFTWindow = 3;     // BLACKMAN
constexpr std::int32_t kLastSource = 1;        // CH2
constexpr std::int32_t kLastFFTUnit = 1;       // dBVrms
constexpr std::int32_t kFirstZoomIndex = 1;    // x10
constexpr std::int32_t kLastZoomIndex = 7;     // x0.1
constexpr std::int32_t kLastLineLevel = 4;     // the five conditions of a pattern/duration line

// Collects the first field that fails, by name.
class Checker {
public:
    Checker(const _OX_SETUP& image, const _OX_SETUP& defaults)
        : base_(reinterpret_cast<const unsigned char*>(&image)), defaults_(defaults) {}

    void Flag(const char* name, const std::uint8_t& value) { Selector(name, value, 1); }
    void Selector(const char* name, std::int32_t value, std::int32_t last) {
        Index(name, value, 0, last);
    }
    void Index(const char* name, std::int32_t value, std::int32_t first, std::int32_t last) {
        if (value < first || value > last) Fail(name);
    }
    // Finite and kept as the validator gives it back (its rounding aside), or the default.
    template <typename T, typename Validate>
    void Number(const char* name, const T& value, Validate validate) {
        if (!std::isfinite(value)) return Fail(name);
        if (value == DefaultOf(value)) return;
        const double kept = static_cast<double>(validate(value));
        const double tolerance = 1e-3 * std::fabs(static_cast<double>(value)) + 1e-12;
        if (!std::isfinite(kept) || std::fabs(kept - static_cast<double>(value)) > tolerance)
            Fail(name);
    }
    template <typename T> void Finite(const char* name, const T& value) {
        Number(name, value, [](T v) { return v; });
    }
    bool Passed() const { return failed_.empty(); }
    const std::string& Failed() const { return failed_; }

private:
    // The same field of the default setup (found by its offset in the record).
    template <typename T> T DefaultOf(const T& value) const {
        const auto offset = reinterpret_cast<const unsigned char*>(&value) - base_;
        T fallback;
        std::memcpy(&fallback, reinterpret_cast<const unsigned char*>(&defaults_) + offset,
                    sizeof fallback);
        return fallback;
    }
    void Fail(const char* name) {
        if (failed_.empty()) failed_ = name;
    }

    const unsigned char* base_;
    const _OX_SETUP& defaults_;
    std::string failed_;
};

void CheckMath(Checker& check, const _OX_SETUP& s, int t) {
    check.Flag("bTraceShown", s.bTraceShown[t]);
    check.Selector("nMathOperator", s.nMathOperator[t], kLastMathOperator);
    check.Selector("nMathSourceA", s.nMathSourceA[t], kLastSource);
    check.Selector("nMathSourceB", s.nMathSourceB[t], kLastSource);
    check.Number("nMathScaleIndex", s.nMathScaleIndex[t], ValidateMathScalen);
    check.Number("fMathScale", s.fMathScale[t], ValidateMathScalef);
    check.Number("fMathOffset", s.fMathOffset[t],
                 [&](float v) { return ValidateMathOffset(v, s.fMathScale[t]); });
    check.Flag("bMathInvert", s.bMathInvert[t]);
    check.Selector("nMathFilterType", s.nMathFilterType[t], kLastFilterType);
    check.Number("fMathFilterUpper", s.fMathFilterUpper[t], ValidateFilterLimit);
    check.Number("fMathFilterLower", s.fMathFilterLower[t], ValidateFilterLimit);
}

void CheckFFT(Checker& check, const _OX_SETUP& s, int t) {
    check.Selector("nFFTSource", s.nFFTSource[t], kLastSource);
    check.Selector("nFFTWindow", s.nFFTWindow[t], kLastFFTWindow);
    check.Selector("nFFTUnit", s.nFFTUnit[t], kLastFFTUnit);
    check.Number("nFFTVrmsScaleIndex", s.nFFTVrmsScaleIndex[t], ValidateFFTVrmsScalen);
    check.Finite("fFFTVrmsOffset", s.fFFTVrmsOffset[t]);
    check.Number("fFFTdBVrmsScale", s.fFFTdBVrmsScale[t], ValidateFFTdBVrmsScale);
    check.Number("fFFTdBVrmsOffset", s.fFFTdBVrmsOffset[t],
                 [&](float v) { return ValidateFFTdBVrmsOffset(v, s.fFFTdBVrmsScale[t]); });
    check.Number("dFFTHorizScale", s.dFFTHorizScale[t],
                 [](double v) { return v > 0.0 ? v : -1.0; });
    check.Finite("dFFTHorizOffset", s.dFFTHorizOffset[t]);
    check.Index("nTraceZoomIndex", s.nTraceZoomIndex[t], kFirstZoomIndex, kLastZoomIndex);
    check.Finite("fTraceZoomFactor", s.fTraceZoomFactor[t]);
    check.Finite("fTraceBaseFreq", s.fTraceBaseFreq[t]);
    check.Finite("fTraceSpan", s.fTraceSpan[t]);
}

void CheckChannelFilter(Checker& check, const _OX_SETUP& s, int c) {
    check.Flag("bChanFilter", s.bChanFilter[c]);
    check.Selector("nChanFilterType", s.nChanFilterType[c], kLastFilterType);
    check.Number("fChanFilterUpper", s.fChanFilterUpper[c], ValidateFilterLimit);
    check.Number("fChanFilterLower", s.fChanFilterLower[c], ValidateFilterLimit);
}

} // namespace

bool CheckSettingsImage(const _OX_SETUP& image, std::string& failedField) {
    _OX_SETUP defaults;
    DefaultSetup(defaults, false);
    Checker check(image, defaults);
    check.Index("nActiveChannel", image.nActiveChannel, 0, kLastActiveChannel);
    for (int t = 0; t < kTraces; ++t) {
        CheckMath(check, image, t);
        CheckFFT(check, image, t);
    }
    check.Flag("bFFTSplitScreen", image.bFFTSplitScreen);
    for (int c = 0; c < kChannels; ++c)
        CheckChannelFilter(check, image, c);
    check.Flag("bTrigSourceShown", image.bTrigSourceShown);
    for (int line = 0; line < kLogicLines; ++line) {
        check.Selector("nPatternBit", image.nPatternBit[line], kLastLineLevel);
        check.Selector("nDurationBit", image.nDurationBit[line], kLastLineLevel);
    }
    failedField = check.Failed();
    return check.Passed();
}

} // namespace oxacq
