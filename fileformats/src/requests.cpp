// Choosing the waveform writer by the file name, and the saves the command line asks for.
#include "fileformats.h"

#include <algorithm>
#include <cctype>

namespace oxfile {

namespace {

bool EndsWith(const std::string& name, const std::string& suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

Result SaveWaveformByName(const std::string& path, const _OX_SETUP& setup,
                          const _OX_RGN_SETUP& region, const ConstSamples& samples,
                          bool overwrite) {
    if (setup.bDataValid != 1) {
        return Result::NoWaveformHeld;
    }
    const std::string name = LowerCase(path);
    if (EndsWith(name, ".csv")) {
        return SaveCsvFile(path, setup, samples, overwrite);
    }
    if (EndsWith(name, ".wfm")) {
        return SaveWaveformFile(path, setup, region, samples, overwrite);
    }
    return SaveKwfmFile(path, setup, samples, overwrite);
}

std::vector<SaveReport> SaveRequestedFiles(const SaveRequest& request, const _OX_SETUP& setup,
                                           const _OX_RGN_SETUP& region,
                                           const ConstSamples& samples) {
    constexpr bool kOverwrite = true;
    std::vector<SaveReport> reports;
    using Writer = Result (*)(const std::string&, const _OX_SETUP&, const ConstSamples&, bool);
    const auto saveRecord = [&](const std::string& path, Writer write) {
        if (path.empty()) return;
        const Result result = setup.bDataValid == 1 ? write(path, setup, samples, kOverwrite)
                                                    : Result::NoWaveformHeld;
        reports.push_back({path, result});
    };
    saveRecord(request.csvPath, SaveCsvFile);
    if (!request.wfmPath.empty()) {
        const Result result = setup.bDataValid == 1 ? SaveWaveformFile(request.wfmPath, setup,
                                                                       region, samples, kOverwrite)
                                                    : Result::NoWaveformHeld;
        reports.push_back({request.wfmPath, result});
    }
    if (!request.setPath.empty()) {
        reports.push_back(
            {request.setPath, SaveSetupFile(request.setPath, setup, region, kOverwrite)});
    }
    saveRecord(request.srPath, SaveSigrokFile);
    saveRecord(request.vcdPath, SaveVcdFile);
    return reports;
}

} // namespace oxfile
