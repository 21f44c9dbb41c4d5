// Synthetic traces with known answers: a voltage function sampled and quantised to raw codes
// the way the display hands them over, with optional seeded Gaussian noise (in codes).
#pragma once

#include "gauger.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

namespace gauger::test {

constexpr int kFrame = 1400;
constexpr double kDt = 1e-5; // 1 ms/div

struct Signal {
    double voltsPerDiv = 1.0;
    int groundCodes = 0;
    double noiseCodes = 0;
    unsigned seed = 1;
    int count = kFrame;
    double dt = kDt;
    std::vector<std::uint8_t> codes;

    // Samples volts(i) for i in 0..count-1.
    Signal& Sample(const std::function<double(double)>& volts) {
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(0.0, noiseCodes > 0 ? noiseCodes : 1.0);
        codes.resize(count);
        for (int i = 0; i < count; ++i) {
            double code =
                kCentreCode - groundCodes - volts(i) / (voltsPerDiv * kVoltsPerCodePerScale);
            if (noiseCodes > 0) {
                code += noise(random);
            }
            codes[i] = static_cast<std::uint8_t>(std::clamp(std::lround(code), 0L, 255L));
        }
        return *this;
    }

    [[nodiscard]] ChannelTrace Trace() const {
        return {codes.data(), static_cast<int>(codes.size()), groundCodes, voltsPerDiv, dt};
    }
};

// A trapezoid of the given period starting low at `delay`, ramps of `rise` and `fall` samples
// (0: a step), high for `high` samples measured between the ramps' mid points.
[[nodiscard]] inline std::function<double(double)> Trapezoid(double period, double high,
                                                             double rise, double fall, double low,
                                                             double top, double delay = 0) {
    return [=](double i) {
        double t = std::fmod(i - delay, period);
        if (t < 0) {
            t += period;
        }
        const double riseEnd = rise;
        const double fallStart = rise / 2 + high - fall / 2;
        double share = 0;
        if (t < riseEnd) {
            share = rise > 0 ? t / rise : 1;
        } else if (t < fallStart) {
            share = 1;
        } else if (t < fallStart + fall) {
            share = 1 - (t - fallStart) / fall;
        }
        return low + share * (top - low);
    };
}

[[nodiscard]] inline std::function<double(double)> Sine(double period, double amplitude,
                                                        double offset = 0) {
    return [=](double i) {
        return offset + amplitude * std::sin(2 * std::numbers::pi * i / period + 0.3);
    };
}

} // namespace gauger::test
