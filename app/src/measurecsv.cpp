#include "measurecsv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace oxapp {
namespace {

// Names in code order (code = index + 1).
constexpr std::array<const char*, gauger::kMeasureCount> kNames{
    "vmax",   "vmin", "vpp",  "vtop", "vbase",  "vamp",   "vavg", "vrms",  "overshoot", "preshoot",
    "period", "freq", "rise", "fall", "pwidth", "nwidth", "duty", "nduty", "rdelay",    "fdelay"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Cell(const gauger::ChannelResult& result, int code, bool shown) {
    const auto m = static_cast<gauger::Measure>(code);
    const gauger::Reading& r = result[m];
    const bool voltage = gauger::GetMeasureInfo(code)->quantity == gauger::Quantity::Voltage;
    if (!shown || !r.valid || (voltage && result.clipped)) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", r.value);
    return text;
}

} // namespace

std::optional<int> MeasureCodeOfName(std::string_view name) {
    const std::string lower = Lower(name);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (lower == kNames[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

const std::string& MeasureNames() {
    static const std::string names = [] {
        std::string joined;
        for (const char* name : kNames) {
            joined += (joined.empty() ? "" : ",") + std::string(name);
        }
        return joined;
    }();
    return names;
}

bool ParseMeasureList(const std::string& text, std::vector<std::string>& names,
                      std::string& error) {
    names.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (!MeasureCodeOfName(name)) {
            error =
                "--measure: unknown measurement \"" + name + "\" (known: " + MeasureNames() + ")";
            return false;
        }
        names.push_back(name);
        start = comma + 1;
    }
    return true;
}

std::string MeasureCsv(const std::vector<std::string>& names, const _OX_SETUP& setup,
                       const oxmeasure::MeasureView& view) {
    std::string csv = "channel";
    for (const std::string& name : names) {
        csv += "," + name;
    }
    csv += "\n";
    for (int ch = 0; ch < 2; ++ch) {
        if (!setup.bChanDisplay[ch]) {
            continue;
        }
        csv += "CH" + std::to_string(ch + 1);
        for (const std::string& name : names) {
            const int code = MeasureCodeOfName(name).value_or(0);
            const bool delay = code >= static_cast<int>(gauger::Measure::RisingDelay);
            const bool shown =
                view.measured[ch] && (!delay || (view.measured[0] && view.measured[1]));
            csv += "," + (code > 0 ? Cell(view.result.channel[ch], code, shown) : std::string());
        }
        csv += "\n";
    }
    return csv;
}

} // namespace oxapp
