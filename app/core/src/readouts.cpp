// Read-out lines: cursors (manual and tracking), logic-analyzer states, pass/fail counters,
// mode captions. Every number has 3 significant digits.
#include "oxcommon.h"
#include "oxmeasure.h"

#include "ox_cursorvalues.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace oxmeasure {

namespace {

constexpr const char* kDelta = "\xE2\x96\xB3"; // the triangle of the difference labels
constexpr const char* kUnknown = oxcursor::kUnknownValue;
constexpr const char* kMissing = "XXXX";
constexpr double kShortestDifference = 2e-9; // seconds: below it there is no reciprocal
namespace code = oxcmd::code;
using oxcursor::CursorNumber;
using oxcursor::CursorScale;

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
                d < kShortestDifference ? kUnknown : CursorNumber(1 / d), "Hz");
}

// The lines of a pair of manual cursors: A, B and, where both have a value, their
// difference (and its reciprocal for times).
void AddPair(const CursorScale& scale, float a, float b, char axis,
             std::vector<std::string>& lines) {
    const std::string suffix(1, static_cast<char>(axis + ('a' - 'A')));
    lines.push_back(Line("CurA" + suffix + "=", scale.Text(a), ""));
    lines.push_back(Line("CurB" + suffix + "=", scale.Text(b), ""));
    const std::optional<double> va = scale.ValueAt(a);
    const std::optional<double> vb = scale.ValueAt(b);
    if (!va || !vb) return;
    lines.push_back(Line(Delta(axis), CursorNumber(std::abs(*vb - *va)), scale.unit));
    if (scale.quantity == oxcursor::Quantity::Time) lines.push_back(Reciprocal(*vb - *va));
}

std::string Text8(const char (&text)[8]) {
    return {text, strnlen(text, sizeof text)};
}

// The volts per division a tracked value is scaled with, and its unit.
struct Vertical {
    double voltsPerDiv;
    std::string unit;
};

Vertical VerticalOf(const _OX_SETUP& setup, int source) {
    const CursorScale level = oxcursor::LevelScale(setup, source);
    return {level.perDivision > 0 ? level.perDivision : std::nan(""), level.unit};
}

} // namespace

std::string ChannelUnit(const _OX_SETUP& setup, int channel) {
    const std::string unit = Text8(setup.szChanUnit[channel]);
    return unit.empty() ? "V" : unit;
}

std::vector<std::string> ManualCursorLines(const _OX_SETUP& setup) {
    std::vector<std::string> lines;
    if (setup.bCurXOn)
        AddPair(oxcursor::XCursorScale(setup), setup.fCurXA, setup.fCurXB, 'X', lines);
    if (setup.bCurYOn)
        AddPair(oxcursor::YCursorScale(setup), setup.fCurYA, setup.fCurYB, 'Y', lines);
    return lines;
}

std::vector<std::string> TrackCursorLines(const _OX_SETUP& setup, const MeasureView& view) {
    const std::array<bool, 2> on{setup.bTrackOnA != 0, setup.bTrackOnB != 0};
    const std::array<int, 2> source{setup.nTrackSourceA, setup.nTrackSourceB};
    const std::array<float, 2> position{setup.fTrackA, setup.fTrackB};
    const char* const names[2] = {"A", "B"};
    std::array<std::optional<double>, 2> time{};
    std::array<std::optional<double>, 2> value{};
    std::array<std::string, 2> unit;
    std::vector<std::string> lines;
    for (int c = 0; c < 2; ++c) {
        if (!on[c]) {
            continue;
        }
        const Vertical v = VerticalOf(setup, source[c]);
        const CursorScale timeScale = oxcursor::TimeScale(setup, source[c]);
        time[c] = timeScale.ValueAt(position[c]);
        unit[c] = v.unit;
        if (view.track[c] && std::isfinite(v.voltsPerDiv)) {
            value[c] = *view.track[c] * v.voltsPerDiv;
        }
        lines.push_back(Line(std::string(names[c]) + "->X=", timeScale.Text(position[c]), ""));
        lines.push_back(
            Line(std::string(names[c]) + "->Y=", value[c] ? CursorNumber(*value[c]) : kMissing,
                 value[c] ? unit[c] : ""));
    }
    if (on[0] && on[1]) {
        const double difference = time[0] && time[1] ? *time[1] - *time[0] : std::nan("");
        lines.push_back(Line(Delta('X'), CursorNumber(difference), "s"));
        lines.push_back(Reciprocal(difference));
        const bool comparable = value[0] && value[1] && unit[0] == unit[1];
        lines.push_back(
            comparable ? Line(Delta('Y'), CursorNumber(std::abs(*value[1] - *value[0])), unit[1])
                       : Line(Delta('Y'), kMissing, ""));
    }
    return lines;
}

std::vector<std::string> CursorLines(const _OX_SETUP& setup, const MeasureView& view) {
    switch (setup.nCursorMode) {
    case code::kManualCursors:
        return ManualCursorLines(setup);
    case code::kTrackCursors:
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
    if (setup.nTimeFormat == code::kXY) {
        return "X - Y Mode";
    }
    if (setup.nTimeFormat == code::kRolling) {
        return "Roll  Mode";
    }
    return setup.nTrigMode == code::kAlternate ? "Alternative Trigger" : nullptr;
}

} // namespace oxmeasure
