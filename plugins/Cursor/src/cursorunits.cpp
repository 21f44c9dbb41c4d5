#include "cursorunits.h"

#include "ox_commands.h"
#include "oxcommon.h"

#include <cstring>
#include <string>

namespace oxcursor {

namespace {

namespace code = oxcmd::code;

constexpr int kLevelDivisions = 8; // a window is 8 divisions high

bool IsMath(int source) {
    return source >= kFirstMath && source < kFirstMath + code::kMathTraces;
}

bool IsSpectrum(const _OX_SETUP& s, int source) {
    return IsMath(source) && s.nMathOperator[source - kFirstMath] == code::kFFT;
}

bool Alternation(const _OX_SETUP& s) {
    return s.nTrigMode == code::kAlternate;
}

template <std::size_t N> QString FieldText(const char (&field)[N]) {
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N)));
}

// The channel a math trace is computed from first: where it is drawn in alternation.
int MathChannel(const _OX_SETUP& s, int source) {
    return s.nMathSourceA[source - kFirstMath] == 1 ? 1 : 0;
}

CursorScale SpectrumScale(const _OX_SETUP& s, int math) {
    const double perDivision = s.dFFTHorizScale[math];
    return {.perDivision = perDivision,
            .unit = QStringLiteral("Hz"),
            .spectrum = true,
            .first = perDivision > 0 ? s.dFFTHorizOffset[math] / perDivision : 0.0,
            .divisions = static_cast<double>(GetFFTDivs(s.nTraceZoomIndex[math]))};
}

double MainTime(const _OX_SETUP& s) {
    return s.bDelayed ? s.dDelayedScale : s.dTimeScale;
}

} // namespace

std::optional<double> CursorScale::ValueAt(double position) const {
    if (!(perDivision > 0)) return std::nullopt;
    if (!spectrum) return position * perDivision;
    const double at = first + position;
    if (first < 0 || at < 0 || at > divisions) return std::nullopt;
    return at * perDivision;
}

std::optional<double> CursorScale::PositionOf(double value) const {
    if (!(perDivision > 0)) return std::nullopt;
    return value / perDivision - (spectrum ? first : 0.0);
}

QString CursorScale::Text(double position) const {
    const std::optional<double> value = ValueAt(position);
    if (!value) return QStringLiteral("??.???") + unit;
    std::string printed;
    GetValidDataStr(printed, *value, 3, -1, 0);
    return QString::fromStdString(printed) + unit;
}

CursorScale TimeScale(const _OX_SETUP& s, int source) {
    if (IsSpectrum(s, source)) return SpectrumScale(s, source - kFirstMath);
    const QString seconds = QStringLiteral("s");
    if (source == kLogicSource)
        return {.perDivision = s.bLaEnable && !Alternation(s) ? MainTime(s) : 0.0, .unit = seconds};
    if (Alternation(s)) {
        const int channel = IsMath(source) ? MathChannel(s, source) : (source == 1 ? 1 : 0);
        return {.perDivision = s.dAltTimeScale[channel], .unit = seconds};
    }
    return {.perDivision = MainTime(s), .unit = seconds};
}

CursorScale LevelScale(const _OX_SETUP& s, int source) {
    if (source == 0 || source == 1)
        return {.perDivision = s.fChanScale[source], .unit = FieldText(s.szChanUnit[source])};
    if (!IsMath(source)) return {};
    const int m = source - kFirstMath;
    const bool decibels = IsSpectrum(s, source) && s.nFFTUnit[m] == code::kdBVrms;
    return {.perDivision = decibels ? s.fFFTdBVrmsScale[m] : s.fMathScale[m],
            .unit = FieldText(s.szTraceUnit[m])};
}

CursorScale XPageScale(const _OX_SETUP& s) {
    return s.nTimeFormat == code::kXY ? LevelScale(s, 0) : TimeScale(s, s.nCurXSource);
}

CursorScale YPageScale(const _OX_SETUP& s) {
    return LevelScale(s, s.nTimeFormat == code::kXY ? 1 : s.nCurYSource);
}

std::optional<double> LevelPixel(const _OX_SETUP& s, const _OX_RGN_SETUP& r) {
    const int source = s.nTimeFormat == code::kXY ? 1 : s.nCurYSource;
    OX_RECT window = r.rcMain;
    if (Alternation(s)) {
        if (source == kLogicSource) return std::nullopt;
        const int channel = IsMath(source) ? MathChannel(s, source) : source;
        window = channel == 1 ? r.rcLower : r.rcUpper;
    } else if (s.bDelayed) {
        window = r.rcLower;
    } else if (s.bFFTSplitScreen) {
        window = IsSpectrum(s, source) ? r.rcFFTFreq : r.rcFFTTime;
    }
    const double height = static_cast<double>(window.bottom) - window.top;
    if (!(height > 0)) return std::nullopt;
    return kLevelDivisions / height;
}

} // namespace oxcursor
