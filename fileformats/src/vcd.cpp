// The value change dump of the analyzer's lines.
#include "fileformats.h"

#include "writing.h"

#include <cmath>

namespace oxfile {

namespace {

constexpr int kLines = 16;

char Identifier(int line) {
    return static_cast<char>('!' + line);
}

void AppendChange(std::string& text, int line, bool high) {
    text += high ? '1' : '0';
    text += Identifier(line);
    text += '\n';
}

std::string Header(const std::string& timescale) {
    std::string text = "$version Oxbow $end\n$timescale " + timescale + " $end\n";
    text += "$scope module oxbow $end\n";
    for (int line = 0; line < kLines; ++line) {
        text += "$var wire 1 ";
        text += Identifier(line);
        text += " D" + std::to_string(line) + " $end\n";
    }
    return text + "$upscope $end\n$enddefinitions $end\n";
}

} // namespace

std::string VcdTimescale(double samplePeriod, double& unitSeconds) {
    static const char* const kUnits[] = {"s", "ms", "us", "ns", "ps", "fs"};
    static const char* const kSteps[] = {"100", "10", "1"};
    // From 100 s down to 1 fs: the largest step not above the period (a hair of slack, so a
    // period of exactly 100 ns is not taken for one just below it).
    for (int u = 0; u < 6; ++u) {
        for (int k = 0; k < 3; ++k) {
            const double step = std::pow(10.0, 2 - k - 3 * u);
            if (step <= samplePeriod * (1.0 + 1e-9) || (u == 5 && k == 2)) {
                unitSeconds = step;
                return std::string(kSteps[k]) + " " + kUnits[u];
            }
        }
    }
    unitSeconds = 1e-15;
    return "1 fs";
}

std::string BuildVcdText(const RecordSignals& signals) {
    if (signals.logic.empty() || !(signals.sampleRate > 0.0)) return {};
    double unit = 0.0;
    const double period = 1.0 / signals.sampleRate;
    std::string text = Header(VcdTimescale(period, unit));
    const double ticksPerSample = period / unit;
    const auto time = [ticksPerSample](std::size_t sample) {
        return "#" +
               std::to_string(static_cast<unsigned long long>(
                   std::llround(static_cast<double>(sample) * ticksPerSample))) +
               "\n";
    };
    text += "#0\n$dumpvars\n";
    std::uint16_t last = signals.logic.front();
    for (int line = 0; line < kLines; ++line)
        AppendChange(text, line, (last >> line) & 1u);
    text += "$end\n";
    for (std::size_t i = 1; i < signals.logic.size(); ++i) {
        const std::uint16_t now = signals.logic[i];
        const std::uint16_t changed = static_cast<std::uint16_t>(now ^ last);
        if (changed == 0) continue;
        text += time(i);
        for (int line = 0; line < kLines; ++line) {
            if ((changed >> line) & 1u) AppendChange(text, line, (now >> line) & 1u);
        }
        last = now;
    }
    return text + time(signals.logic.size());
}

Result SaveVcdFile(const std::string& path, const _OX_SETUP& setup, const ConstSamples& samples,
                   bool overwrite) {
    RecordSignals signals;
    if (const Result taken = TakeRecordSignals(setup, samples, signals); taken != Result::Ok)
        return taken;
    if (signals.logic.empty()) return Result::NoChannelShown;
    return WriteImage(path, BuildVcdText(signals), overwrite);
}

} // namespace oxfile
