// The stored record as signals at one rate, for the files logic tools read and for decoding.
#include "fileformats.h"

#include "ox_commands.h"
#include "writing.h"

namespace oxfile {

namespace {

constexpr double kPicosecond = 1e-12;
// The analyzer's record is taken at half the rate with exactly one channel at 50 ns/div and
// faster (the full-record request's bit 7).
constexpr std::int64_t kHalfRateLogicScalePs = 50'000;

bool HalfRateLogic(const _OX_SETUP& s) {
    const int channels = (s.bChanShownStop[0] ? 1 : 0) + (s.bChanShownStop[1] ? 1 : 0);
    return channels == 1 && s.llTimeScalePsRec <= kHalfRateLogicScalePs;
}

// D7-D0 then D15-D8 per point; at half rate each point stands for two samples.
std::vector<std::uint16_t> LogicSamples(std::span<const std::uint8_t> bytes, int points,
                                        bool halfRate) {
    std::vector<std::uint16_t> logic(static_cast<std::size_t>(points));
    for (std::size_t i = 0; i < logic.size(); ++i) {
        const std::size_t point = halfRate ? i / 2 : i;
        logic[i] = static_cast<std::uint16_t>(bytes[2 * point] | (bytes[2 * point + 1] << 8));
    }
    return logic;
}

} // namespace

std::size_t RecordSignals::Length() const {
    if (!logic.empty()) return logic.size();
    return volts[0].empty() ? volts[1].size() : volts[0].size();
}

Result TakeRecordSignals(const _OX_SETUP& setup, const ConstSamples& samples,
                         RecordSignals& signals) {
    if (setup.bDataValid != 1) return Result::NoWaveformHeld;
    const bool shown[2] = {setup.bChanShownStop[0] != 0, setup.bChanShownStop[1] != 0};
    if (!shown[0] && !shown[1] && !setup.bLaShownStop) return Result::NoChannelShown;
    const int points = setup.nAcqMemoryRec;
    const double rate = RecordRate(setup);
    if (setup.nTrigMode == oxcmd::code::kAlternate || !Positive(rate) || points <= 0)
        return Result::BadRecord;
    RecordSignals taken;
    taken.sampleRate = rate;
    taken.firstTime =
        static_cast<double>(setup.llTimeOffsetPsRec) * kPicosecond - (points / 2) / rate;
    const std::span<const std::uint8_t> buffers[2] = {samples.ch1, samples.ch2};
    for (int c = 0; c < 2; ++c) {
        if (!shown[c]) continue;
        ChannelColumn column;
        if (!MakeColumn(setup, c, buffers[c], points, rate, 0.0, column)) return Result::BadRecord;
        taken.volts[c].resize(static_cast<std::size_t>(points));
        for (int i = 0; i < points; ++i)
            taken.volts[c][static_cast<std::size_t>(i)] = static_cast<float>(column.Volts(i));
    }
    if (setup.bLaShownStop) {
        const bool half = HalfRateLogic(setup);
        const std::size_t bytes = 2 * static_cast<std::size_t>(half ? (points + 1) / 2 : points);
        if (samples.la.size() < bytes) return Result::BadRecord;
        taken.logic = LogicSamples(samples.la, points, half);
    }
    signals = std::move(taken);
    return Result::Ok;
}

} // namespace oxfile
