// The automatic measurements as every reader shows them: which are chosen, whether a reading
// can be shown, and its text on the screen, in the panel and in the command line's table.
#include "oxmeasure.h"

#include <algorithm>

namespace oxmeasure {
namespace {

constexpr int kMeasureSlots = 8; // nMeasureItem

bool IsChannel(int channel) {
    return channel == 0 || channel == 1;
}

bool IsDelay(int code) {
    return code >= static_cast<int>(gauger::Measure::RisingDelay);
}

bool Valid(Chosen m) {
    return gauger::GetMeasureInfo(m.code) != nullptr && IsChannel(m.channel);
}

} // namespace

std::vector<Chosen> ChosenMeasurements(const _OX_SETUP& setup) {
    std::vector<Chosen> chosen;
    const int count = std::clamp(setup.nMeasureCount, 0, kMeasureSlots);
    for (int i = 0; i < count; ++i) {
        const Chosen m{setup.nMeasureItem[i], setup.nMeasureSource[i]};
        if (Valid(m)) chosen.push_back(m);
    }
    if (setup.bMeasureAll != 0 && IsChannel(setup.byMeasureAllSource)) {
        for (int code = 1; code <= gauger::kMeasureCount; ++code) {
            const Chosen m{code, setup.byMeasureAllSource};
            if (std::find(chosen.begin(), chosen.end(), m) == chosen.end()) chosen.push_back(m);
        }
    }
    return chosen;
}

bool MeasureReadable(const _OX_SETUP& setup, const MeasureView& view, Chosen m) {
    if (!Valid(m)) return false;
    const auto drawn = [&](int ch) { return setup.bChanDisplay[ch] != 0 && view.measured[ch]; };
    const bool shown = IsDelay(m.code) ? drawn(0) && drawn(1) : drawn(m.channel);
    return gauger::MeasureShowable(static_cast<gauger::Measure>(m.code),
                                   view.result.channel[m.channel], shown);
}

std::string MeasureLine(const _OX_SETUP& setup, const MeasureView& view, int code, int channel) {
    std::string line;
    const Chosen m{code, channel};
    if (!Valid(m)) return line;
    gauger::GetMeasureText(line, static_cast<gauger::Measure>(code), view.result.channel[channel],
                           MeasureReadable(setup, view, m), ChannelUnit(setup, channel));
    return line;
}

std::string MeasureValue(const _OX_SETUP& setup, const MeasureView& view, Chosen m) {
    if (!MeasureReadable(setup, view, m)) return gauger::kHiddenReading;
    const gauger::ChannelResult& result = view.result.channel[m.channel];
    const auto measure = static_cast<gauger::Measure>(m.code);
    return gauger::MeasureValueText(measure, result[measure].value, result.secondsPerSample,
                                    ChannelUnit(setup, m.channel));
}

std::string MeasurePlain(const _OX_SETUP& setup, const MeasureView& view, Chosen m) {
    if (!MeasureReadable(setup, view, m)) return {};
    const gauger::ChannelResult& result = view.result.channel[m.channel];
    const auto measure = static_cast<gauger::Measure>(m.code);
    return gauger::MeasurePlainValue(measure, result[measure].value, result.secondsPerSample);
}

} // namespace oxmeasure
