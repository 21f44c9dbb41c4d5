#include "ox_cursorvalues.h"

#include "ox_commands.h"
#include "oxcommon.h"

#include <cmath>
#include <cstring>

namespace oxcursor {
namespace {

namespace code = oxcmd::code;

constexpr const char* kMicro = "\xC2\xB5"; // the micro sign, for the printer's "u"

std::optional<int> MathSlot(int source) {
    const int slot = source - code::kCursorSourceFirstMath;
    if (slot < 0 || slot >= code::kMathTraces) return std::nullopt;
    return slot;
}

bool IsSpectrum(const _OX_SETUP& s, int source) {
    const std::optional<int> slot = MathSlot(source);
    return slot && s.nMathOperator[*slot] == code::kFFT;
}

template <std::size_t N> std::string FieldText(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

std::string ChannelUnit(const _OX_SETUP& s, int channel) {
    const std::string unit = FieldText(s.szChanUnit[channel]);
    return unit.empty() ? "V" : unit;
}

// The frequency scale of a spectrum, counted from its origin.
CursorScale SpectrumScale(const _OX_SETUP& s, int slot) {
    const double perDivision = s.dFFTHorizScale[slot];
    const double origin = perDivision > 0 ? s.dFFTHorizOffset[slot] / perDivision : 0.0;
    return {.quantity = Quantity::Frequency,
            .perDivision = origin >= 0 ? perDivision : 0.0,
            .unit = "Hz",
            .shift = origin,
            .divisions = static_cast<double>(GetFFTDivs(s.nTraceZoomIndex[slot]))};
}

// The channel a math trace is computed from first: whose alternate time base it follows.
int MathChannel(const _OX_SETUP& s, int slot) {
    return s.nMathSourceA[slot] == 1 ? 1 : 0;
}

CursorScale Level(double perDivision, double ground, std::string unit) {
    const double shift = perDivision > 0 ? -ground / perDivision : 0.0;
    return {.quantity = Quantity::Level,
            .perDivision = perDivision,
            .unit = std::move(unit),
            .shift = shift};
}

} // namespace

std::string CursorNumber(double value) {
    if (!std::isfinite(value)) return kUnknownValue;
    std::string text;
    GetValidDataStr(text, value, 3, -1, 0);
    if (!text.empty() && text.back() == 'u') text.replace(text.size() - 1, 1, kMicro);
    return text;
}

std::optional<double> CursorScale::ValueAt(double position) const {
    if (!(perDivision > 0) || !std::isfinite(position)) return std::nullopt;
    const double at = shift + position;
    if (quantity == Quantity::Frequency && !(at > 0 && at <= divisions)) return std::nullopt;
    return at * perDivision;
}

std::optional<double> CursorScale::PositionOf(double value) const {
    if (!(perDivision > 0) || !std::isfinite(value)) return std::nullopt;
    return value / perDivision - shift;
}

std::string CursorScale::Text(double position) const {
    const std::optional<double> value = ValueAt(position);
    return (value ? CursorNumber(*value) : kUnknownValue) + unit;
}

CursorScale TimeScale(const _OX_SETUP& s, int source) {
    if (IsSpectrum(s, source)) return SpectrumScale(s, *MathSlot(source));
    CursorScale time{.quantity = Quantity::Time, .unit = "s"};
    const bool alternate = s.nTrigMode == code::kAlternate;
    if (source == code::kCursorSourceLogic) {
        if (s.bLaEnable && !alternate)
            time.perDivision = s.bDelayed ? s.dDelayedScale : s.dTimeScale;
    } else if (alternate) {
        const std::optional<int> slot = MathSlot(source);
        time.perDivision = s.dAltTimeScale[slot ? MathChannel(s, *slot) : (source == 1 ? 1 : 0)];
    } else {
        time.perDivision = s.bDelayed ? s.dDelayedScale : s.dTimeScale;
    }
    return time;
}

CursorScale LevelScale(const _OX_SETUP& s, int source) {
    if (source == 0 || source == 1)
        return Level(s.fChanScale[source], s.fChanOffset[source], ChannelUnit(s, source));
    const std::optional<int> slot = MathSlot(source);
    if (!slot) return Level(0, 0, ""); // no level source: no scale
    const int m = *slot;
    const std::string unit = FieldText(s.szTraceUnit[m]);
    if (s.nMathOperator[m] != code::kFFT) return Level(s.fMathScale[m], s.fMathOffset[m], unit);
    if (s.nFFTUnit[m] == code::kdBVrms)
        return Level(s.fFFTdBVrmsScale[m], s.fFFTdBVrmsOffset[m], unit);
    // The Vrms scale is a step of the scale of the channel the spectrum is of.
    const int channel = s.nFFTSource[m] == 1 ? 1 : 0;
    return Level(GetMathScale(s.nFFTVrmsScaleIndex[m], s.fChanScale[channel]), s.fFFTVrmsOffset[m],
                 unit);
}

CursorScale XCursorScale(const _OX_SETUP& s) {
    return s.nTimeFormat == code::kXY ? LevelScale(s, 0) : TimeScale(s, s.nCurXSource);
}

CursorScale YCursorScale(const _OX_SETUP& s) {
    return LevelScale(s, s.nTimeFormat == code::kXY ? 1 : s.nCurYSource);
}

} // namespace oxcursor
