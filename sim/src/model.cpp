// Models, the 1-2-5 coercion and the acquisition geometry that follows the settings.
#include "sim_core.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace oxbow::sim {

namespace {

struct ModelRow {
    const char* name;
    int modelClass;
    double minTimeScale;
    double maxSampleRate;
};

// Longer names first, so that "OXB-A3M" is not taken for "OXB-A3".
constexpr ModelRow kModels[] = {
    {"OXB-A6M", 5, 2e-9, 2e9}, {"OXB-A6", 5, 2e-9, 2e9},    {"OXB-A5M", 4, 2e-9, 2e9},
    {"OXB-A5", 4, 2e-9, 2e9},  {"OXB-A4M", 3, 2e-9, 1e9},   {"OXB-A4", 3, 2e-9, 1e9},
    {"OXB-A3M", 2, 5e-9, 1e9}, {"OXB-A3", 2, 5e-9, 1e9},    {"OXB-A2M", 1, 1e-8, 5e8},
    {"OXB-A2", 1, 1e-8, 5e8},  {"OXB-A1M", 0, 2e-8, 2.5e8}, {"OXB-A1", 0, 2e-8, 2.5e8}};

// Memory shared by the shown sources: an analog point costs one byte, a logic point two.
constexpr std::int64_t kLongMemoryBytes = 1'048'576;
constexpr std::int64_t kNormalMemoryBytes = 8'192;

} // namespace

ModelInfo LookUpModel(const std::string& name) {
    ModelInfo info;
    info.name = name;
    for (const auto& row : kModels) {
        if (name == row.name) {
            info.modelClass = row.modelClass;
            info.minTimeScale = row.minTimeScale;
            info.maxSampleRate = row.maxSampleRate;
            info.logicAnalyzer = name.back() == 'M';
            return info;
        }
    }
    info.maxSampleRate = 2.5e8;
    return info;
}

SteadyClock::SteadyClock() : start_(std::chrono::steady_clock::now().time_since_epoch().count()) {}

double SteadyClock::Now() const {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() - start_;
    return std::chrono::duration<double>(std::chrono::steady_clock::duration(ticks)).count();
}

namespace detail {

namespace {

// value = mantissa x 10^exponent with the mantissa in [1, 10), tolerant of float noise.
double Decade(double value, double& mantissa) {
    const double exponent = std::floor(std::log10(value) + 1e-9);
    const double decade = std::pow(10.0, exponent);
    mantissa = value / decade;
    return decade;
}

std::int64_t FloorPowerOfTwo(std::int64_t value) {
    std::int64_t power = 1;
    while (power * 2 <= value) {
        power *= 2;
    }
    return power;
}

} // namespace

double Snap125(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        return value;
    }
    double m = 0.0;
    const double decade = Decade(value, m);
    constexpr double kSlack = 1e-6;
    if (m < 2.0 - kSlack) return decade;
    if (m < 3.0 - kSlack) return 2.0 * decade;
    if (m < 6.0 - kSlack) return 5.0 * decade;
    return 10.0 * decade;
}

double Floor125(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        return value;
    }
    double m = 0.0;
    const double decade = Decade(value, m);
    constexpr double kSlack = 1e-6;
    if (m >= 5.0 - kSlack) return 5.0 * decade;
    if (m >= 2.0 - kSlack) return 2.0 * decade;
    return decade;
}

double Ceil125(double value) {
    const double floor = Floor125(value);
    if (!(value > 0.0) || floor >= value * (1.0 - 1e-9)) {
        return floor;
    }
    double m = 0.0;
    const double decade = Decade(floor, m);
    return m < 1.5 ? 2.0 * decade : (m < 3.0 ? 5.0 * decade : 10.0 * decade);
}

std::int64_t ToPicoseconds(double seconds) {
    return static_cast<std::int64_t>(std::llround(seconds * 1e12));
}

void SetTime(double seconds, double& value, std::int64_t& ps) {
    ps = ToPicoseconds(seconds);
    value = static_cast<double>(ps) * 1e-12;
}

unsigned ShownSources(const Core& core) {
    unsigned mask = 0;
    mask |= core.st.dso.chan[0].display ? 1u : 0u;
    mask |= core.st.dso.chan[1].display ? 2u : 0u;
    mask |= (core.model.logicAnalyzer && core.st.la.enable) ? 4u : 0u;
    return mask;
}

void UpdateAcquisition(Core& core) {
    DsoState& dso = core.st.dso;
    const unsigned shown = ShownSources(core);
    const int analog = ((shown & 1u) ? 1 : 0) + ((shown & 2u) ? 1 : 0);
    const int bytesPerPoint = std::max(1, analog + ((shown & 4u) ? 2 : 0));
    const std::int64_t budget = dso.acqLongMemory ? kLongMemoryBytes : kNormalMemoryBytes;
    dso.acqMemory = static_cast<std::int32_t>(FloorPowerOfTwo(budget / bytesPerPoint));

    const double maxRate = core.model.maxSampleRate / (analog == 2 ? 2.0 : 1.0);
    const double fitting = dso.acqMemory / (14.0 * dso.timeScale);
    const double rate = std::min(maxRate, Floor125(fitting));
    dso.sampleRate = static_cast<float>(rate);
    dso.sampleRateMem = static_cast<float>(rate);
    dso.sampleRateRec[0] = static_cast<float>(rate);
    dso.sampleRateRec[1] = static_cast<float>(std::max(rate, 100.0 / dso.timeScale));
    dso.slowSweep = dso.timeFormat == 0 && dso.timeScalePs >= 50'000'000'000;
}

} // namespace detail
} // namespace oxbow::sim
