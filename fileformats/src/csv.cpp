// The CSV table of the stored acquisition: a header line, a units line, one line per point.
#include "fileformats.h"
#include "ox_commands.h"

#include "writing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace oxfile {

namespace {

constexpr double kPicosecond = 1e-12;

const char* UnitName(const char (&unit)[8]) {
    if (std::strcmp(unit, "V") == 0) {
        return "Volt";
    }
    if (std::strcmp(unit, "A") == 0) {
        return "Amp.";
    }
    if (std::strcmp(unit, "W") == 0) {
        return "Watt";
    }
    return "Null";
}

void AppendNumber(std::string& text, double value, char end) {
    char field[40];
    std::snprintf(field, sizeof field, "%3.2e%c", value, end);
    text += field;
}

void AppendHex(std::string& text, std::uint8_t value, char end) {
    char field[8];
    std::snprintf(field, sizeof field, "0x%02x%c", value, end);
    text += field;
}

std::string AlternateTable(const _OX_SETUP& s, const ConstSamples& samples) {
    const bool shown[2] = {s.bChanShownStop[0] != 0, s.bChanShownStop[1] != 0};
    const std::span<const std::uint8_t> buffers[2] = {samples.ch1, samples.ch2};
    ChannelColumn columns[2];
    std::string names;
    std::string units = "Second";
    int rows = 0;
    for (int c = 0; c < 2; ++c) {
        if (!shown[c]) {
            continue;
        }
        const double t0 =
            static_cast<double>(static_cast<std::int64_t>(s.llAltTimeOffsetPsRec[c])) * kPicosecond;
        if (!MakeColumn(s, c, buffers[c], s.nAltMemoryRec[c], s.fAltSampleRateRec[c], t0,
                        columns[c])) {
            return {};
        }
        names += std::string(names.empty() ? "" : ",") + (c == 0 ? "X(CH1),CH1" : "X(CH2),CH2");
        units += std::string(units == "Second" ? "," : ",Second,") + UnitName(s.szChanUnit[c]);
        rows = std::max(rows, columns[c].points);
    }
    if (rows == 0) {
        return {};
    }
    std::string text = names + "\n" + units + "\n";
    text.reserve(text.size() + static_cast<std::size_t>(rows) * 40);
    const int last = shown[1] ? 1 : 0;
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < 2; ++c) {
            if (!shown[c]) {
                continue;
            }
            const char end = c == last ? '\n' : ',';
            // A channel with fewer points leaves its two fields empty on the remaining lines.
            if (i < columns[c].points) {
                AppendNumber(text, columns[c].Time(i), ',');
                AppendNumber(text, columns[c].Volts(i), end);
            } else {
                text += ',';
                text += end;
            }
        }
    }
    return text;
}

std::string NormalTable(const _OX_SETUP& s, const ConstSamples& samples) {
    const bool shown[2] = {s.bChanShownStop[0] != 0, s.bChanShownStop[1] != 0};
    const bool la = s.bLaShownStop != 0;
    const int points = s.nAcqMemoryRec;
    if ((!shown[0] && !shown[1] && !la) || points <= 0) {
        return {};
    }
    const double rate = RecordRate(s);
    const double t0 = static_cast<double>(s.llTimeOffsetPsRec) * kPicosecond;
    const std::span<const std::uint8_t> buffers[2] = {samples.ch1, samples.ch2};
    ChannelColumn columns[2];
    std::string names = "X", units = "Second";
    for (int c = 0; c < 2; ++c) {
        if (shown[c]) {
            if (!MakeColumn(s, c, buffers[c], points, rate, t0, columns[c])) {
                return {};
            }
            names += c == 0 ? ",CH1" : ",CH2";
            units += std::string(",") + UnitName(s.szChanUnit[c]);
        }
    }
    if (la) {
        if (!Positive(rate) || samples.la.size() < 2 * static_cast<std::size_t>(points)) {
            return {};
        }
        names += ",D15-D8,D7-D0";
        units += ",Null,Null";
    }
    ChannelColumn clock;
    clock.points = points;
    clock.dt = 1.0 / rate;
    clock.t0 = t0;
    std::string text = names + "\n" + units + "\n";
    text.reserve(text.size() + static_cast<std::size_t>(points) * 40);
    const char lastChannelEnd = la ? ',' : '\n';
    for (int i = 0; i < points; ++i) {
        AppendNumber(text, clock.Time(i), ',');
        if (shown[0]) {
            AppendNumber(text, columns[0].Volts(i), shown[1] ? ',' : lastChannelEnd);
        }
        if (shown[1]) {
            AppendNumber(text, columns[1].Volts(i), lastChannelEnd);
        }
        if (la) {
            AppendHex(text, samples.la[2 * static_cast<std::size_t>(i) + 1], ',');
            AppendHex(text, samples.la[2 * static_cast<std::size_t>(i)], '\n');
        }
    }
    return text;
}

} // namespace

std::string BuildCsvText(const _OX_SETUP& setup, const ConstSamples& samples) {
    return setup.nTrigMode == oxcmd::code::kAlternate ? AlternateTable(setup, samples)
                                                      : NormalTable(setup, samples);
}

Result SaveCsvFile(const std::string& path, const _OX_SETUP& setup, const ConstSamples& samples,
                   bool overwrite) {
    const bool anyShown = setup.bChanShownStop[0] || setup.bChanShownStop[1] ||
                          (setup.nTrigMode != oxcmd::code::kAlternate && setup.bLaShownStop);
    if (!anyShown) {
        return Result::NoChannelShown;
    }
    const std::string text = BuildCsvText(setup, samples);
    if (text.empty()) {
        return Result::BadRecord;
    }
    return WriteImage(path, text, overwrite);
}

} // namespace oxfile
