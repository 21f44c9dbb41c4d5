// Read-out lines: cursors (manual and tracking), logic-analyzer states, pass/fail counters,
// mode captions. Every number has 3 significant digits.
#include "oxcommon.h"
#include "oxmeasure.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace oxmeasure {

namespace {

constexpr const char* kDelta = "\xE2\x96\xB3"; // the triangle of the difference labels
constexpr const char* kMicro = "\xC2\xB5";     // the micro sign the read-outs show
constexpr const char* kUnknown = "??.???";
constexpr const char* kMissing = "XXXX";
constexpr double kShortestDifference = 2e-9; // seconds: below it there is no reciprocal
constexpr int kDigits = 3;
constexpr int kManualMode = 1;
constexpr int kTrackingMode = 2;
constexpr int kXYFormat = 1;
constexpr int kRollFormat = 2;
constexpr int kAlternateTrigger = 4;
constexpr int kFirstMathSource = 2;
constexpr int kFftOperator = 3;
constexpr int kScreenDivisions = oxdisplay::kColumns / kColumnsPerDivision;

std::string Number(double value) {
    if (!std::isfinite(value)) {
        return kUnknown;
    }
    std::string text;
    GetValidDataStr(text, value, kDigits, -1, 0);
    if (!text.empty() && text.back() == 'u') {
        text.replace(text.size() - 1, 1, kMicro); // the printer's "u" prefix
    }
    return text;
}

std::string Line(const std::string& label, const std::string& number, const std::string& unit) {
    char text[96];
    std::snprintf(text, sizeof text, "%s%s%s", label.c_str(), number.c_str(), unit.c_str());
    return text;
}

std::string Delta(char axis) {
    return std::string(kDelta) + axis + "=";
}

std::string Reciprocal(double difference) {
    const double d = std::abs(difference);
    return Line(std::string("1/") + kDelta + "X=",
                d < kShortestDifference ? kUnknown : Number(1 / d), "Hz");
}

std::string Text8(const char (&text)[8]) {
    return {text, strnlen(text, sizeof text)};
}

// A source's vertical scale and unit: CH1, CH2 or a math slot.
struct Vertical {
    double voltsPerDiv;
    std::string unit;
};

Vertical VerticalOf(const _OX_SETUP& setup, int source) {
    if (source == 0 || source == 1) {
        return {setup.fChanScale[source], ChannelUnit(setup, source)};
    }
    const int slot = source - kFirstMathSource;
    if (slot >= 0 && slot < oxdisplay::kMathSlots) {
        return {setup.fMathScale[slot], Text8(setup.szTraceUnit[slot])};
    }
    return {std::nan(""), ""};
}

std::optional<int> SpectrumSlot(const _OX_SETUP& setup, int source) {
    const int slot = source - kFirstMathSource;
    if (slot >= 0 && slot < oxdisplay::kMathSlots && setup.nMathOperator[slot] == kFftOperator) {
        return slot;
    }
    return std::nullopt;
}

// A horizontal position on a spectrum: divisions from the spectrum's left edge, inside its
// number of divisions, to hertz.
std::optional<double> SpectrumFrequency(const _OX_SETUP& setup, int slot, float position) {
    const double fromLeft = static_cast<double>(position) + kScreenDivisions / 2.0;
    if (!(fromLeft >= 0) || fromLeft > GetFFTDivs(setup.nTraceZoomIndex[slot])) {
        return std::nullopt;
    }
    return setup.dFFTHorizOffset[slot] + fromLeft * setup.dFFTHorizScale[slot];
}

void AddManualX(const _OX_SETUP& setup, std::vector<std::string>& lines) {
    const float a = setup.fCurXA;
    const float b = setup.fCurXB;
    if (setup.nTimeFormat == kXYFormat) {
        const Vertical ch1 = VerticalOf(setup, 0);
        lines.push_back(Line("CurAx=", Number(a * ch1.voltsPerDiv), ch1.unit));
        lines.push_back(Line("CurBx=", Number(b * ch1.voltsPerDiv), ch1.unit));
        lines.push_back(Line(Delta('X'), Number(std::abs(b - a) * ch1.voltsPerDiv), ch1.unit));
        return;
    }
    if (const std::optional<int> slot = SpectrumSlot(setup, setup.nCurXSource)) {
        const std::optional<double> fa = SpectrumFrequency(setup, *slot, a);
        const std::optional<double> fb = SpectrumFrequency(setup, *slot, b);
        lines.push_back(Line("CurAx=", fa ? Number(*fa) : kUnknown, "Hz"));
        lines.push_back(Line("CurBx=", fb ? Number(*fb) : kUnknown, "Hz"));
        if (fa && fb) {
            lines.push_back(Line(Delta('X'), Number(std::abs(*fb - *fa)), "Hz"));
        }
        return;
    }
    const double t = setup.dTimeScale;
    lines.push_back(Line("CurAx=", Number(a * t), "s"));
    lines.push_back(Line("CurBx=", Number(b * t), "s"));
    lines.push_back(Line(Delta('X'), Number(std::abs(b - a) * t), "s"));
    lines.push_back(Reciprocal((b - a) * t));
}

void AddManualY(const _OX_SETUP& setup, std::vector<std::string>& lines) {
    const Vertical v = VerticalOf(setup, setup.nTimeFormat == kXYFormat ? 1 : setup.nCurYSource);
    lines.push_back(Line("CurAy=", Number(setup.fCurYA * v.voltsPerDiv), v.unit));
    lines.push_back(Line("CurBy=", Number(setup.fCurYB * v.voltsPerDiv), v.unit));
    lines.push_back(
        Line(Delta('Y'), Number(std::abs(setup.fCurYB - setup.fCurYA) * v.voltsPerDiv), v.unit));
}

} // namespace

std::string ChannelUnit(const _OX_SETUP& setup, int channel) {
    const std::string unit = Text8(setup.szChanUnit[channel]);
    return unit.empty() ? "V" : unit;
}

std::vector<std::string> ManualCursorLines(const _OX_SETUP& setup) {
    std::vector<std::string> lines;
    if (setup.bCurXOn) {
        AddManualX(setup, lines);
    }
    if (setup.bCurYOn) {
        AddManualY(setup, lines);
    }
    return lines;
}

std::vector<std::string> TrackCursorLines(const _OX_SETUP& setup, const MeasureView& view) {
    const std::array<bool, 2> on{setup.bTrackOnA != 0, setup.bTrackOnB != 0};
    const std::array<int, 2> source{setup.nTrackSourceA, setup.nTrackSourceB};
    const std::array<float, 2> position{setup.fTrackA, setup.fTrackB};
    const char* const names[2] = {"A", "B"};
    std::array<double, 2> time{};
    std::array<std::optional<double>, 2> value{};
    std::array<std::string, 2> unit;
    std::vector<std::string> lines;
    for (int c = 0; c < 2; ++c) {
        if (!on[c]) {
            continue;
        }
        const Vertical v = VerticalOf(setup, source[c]);
        time[c] = position[c] * setup.dTimeScale;
        unit[c] = v.unit;
        if (view.track[c] && std::isfinite(v.voltsPerDiv)) {
            value[c] = *view.track[c] * v.voltsPerDiv;
        }
        lines.push_back(Line(std::string(names[c]) + "->X=", Number(time[c]), "s"));
        lines.push_back(Line(std::string(names[c]) + "->Y=",
                             value[c] ? Number(*value[c]) : kMissing, value[c] ? unit[c] : ""));
    }
    if (on[0] && on[1]) {
        lines.push_back(Line(Delta('X'), Number(time[1] - time[0]), "s"));
        lines.push_back(Reciprocal(time[1] - time[0]));
        const bool comparable = value[0] && value[1] && unit[0] == unit[1];
        lines.push_back(comparable
                            ? Line(Delta('Y'), Number(std::abs(*value[1] - *value[0])), unit[1])
                            : Line(Delta('Y'), kMissing, ""));
    }
    return lines;
}

std::vector<std::string> CursorLines(const _OX_SETUP& setup, const MeasureView& view) {
    switch (setup.nCursorMode) {
    case kManualMode:
        return ManualCursorLines(setup);
    case kTrackingMode:
        return TrackCursorLines(setup, view);
    default:
        return {};
    }
}

LaLines LaLineStates(std::span<const std::uint16_t> pairs, int firstDrawn, int lastDrawn,
                     int column, std::uint16_t shown) {
    LaLines lines;
    if (pairs.size() < 2 * static_cast<std::size_t>(oxdisplay::kColumns)) {
        return lines;
    }
    if (column < firstDrawn || column > lastDrawn || column < 0 || column >= oxdisplay::kColumns) {
        lines.hex += kMissing;
        lines.bits += "XXXX XXXX XXXX XXXX D0";
        return lines;
    }
    const unsigned steady = pairs[2 * static_cast<std::size_t>(column)];
    const unsigned changed = steady ^ pairs[2 * static_cast<std::size_t>(column) + 1];
    constexpr char kHex[] = "0123456789ABCDEF";
    for (int group = 3; group >= 0; --group) {
        const unsigned mask = 0xFu << (4 * group);
        if (changed & shown & mask) {
            lines.hex += 'E';
        } else if ((shown & mask) == mask) {
            lines.hex += kHex[(steady & mask) >> (4 * group)];
        } else {
            lines.hex += 'X';
        }
    }
    for (int line = 15; line >= 0; --line) {
        const unsigned bit = 1u << line;
        lines.bits += !(shown & bit) ? 'X' : (changed & bit) ? 'E' : (steady & bit) ? '1' : '0';
        if (line % 4 == 0 && line > 0) {
            lines.bits += ' ';
        }
    }
    lines.bits += " D0";
    return lines;
}

std::array<std::string, 3> PassFailLines(const _OX_SETUP& setup) {
    const char* const formats[3] = {"Fail = %d wfs", "Pass = %d wfs", "Total = %d wfs"};
    const std::uint32_t counts[3] = {setup.nPfFail, setup.nPfPass, setup.nPfTotal};
    std::array<std::string, 3> lines;
    for (int i = 0; i < 3; ++i) {
        char text[40];
        std::snprintf(text, sizeof text, formats[i], static_cast<int>(counts[i]));
        lines[i] = text;
    }
    return lines;
}

const char* ModeCaption(const _OX_SETUP& setup) {
    if (setup.nTimeFormat == kXYFormat) {
        return "X - Y Mode";
    }
    if (setup.nTimeFormat == kRollFormat) {
        return "Roll  Mode";
    }
    return setup.nTrigMode == kAlternateTrigger ? "Alternative Trigger" : nullptr;
}

} // namespace oxmeasure
