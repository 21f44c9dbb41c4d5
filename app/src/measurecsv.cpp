#include "measurecsv.h"

#include <algorithm>

namespace oxapp {

std::optional<int> MeasureCodeOfName(std::string_view name) {
    const int code = gauger::MeasureCodeOfKey(name);
    return code > 0 ? std::optional<int>(code) : std::nullopt;
}

const std::string& MeasureNames() {
    static const std::string names = [] {
        std::string joined;
        for (const gauger::MeasureInfo& info : gauger::kMeasureTable)
            joined += (joined.empty() ? "" : ",") + std::string(info.key);
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
        const std::optional<int> code = MeasureCodeOfName(name);
        if (!code) {
            error =
                "--measure: unknown measurement \"" + name + "\" (known: " + MeasureNames() + ")";
            return false;
        }
        names.emplace_back(gauger::GetMeasureInfo(*code)->key);
        start = comma + 1;
    }
    return true;
}

std::string MeasureCsv(const std::vector<std::string>& keys, const _OX_SETUP& setup,
                       const oxmeasure::MeasureView& view) {
    std::string csv = "channel";
    for (const std::string& key : keys)
        csv += "," + key;
    csv += "\n";
    for (int ch = 0; ch < 2; ++ch) {
        if (!setup.bChanDisplay[ch]) continue;
        csv += "CH" + std::to_string(ch + 1);
        for (const std::string& key : keys)
            csv += "," + oxmeasure::MeasurePlain(setup, view, {gauger::MeasureCodeOfKey(key), ch});
        csv += "\n";
    }
    return csv;
}

} // namespace oxapp
