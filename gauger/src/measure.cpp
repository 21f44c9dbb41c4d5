// One pass for the histogram and the sums, one pass of a threshold state machine for the
// edges; levels are kept in codes measured upwards from the centre (kCentreCode - code).
#include "gauger.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gauger {
namespace {

constexpr int kCodes = 256;
using Histogram = std::array<int, kCodes>;
// A histogram mode holding fewer than this share of its half's samples is no flat level.
constexpr double kMinModeShare = 0.05;
constexpr double kHysteresisShare = 0.1; // of the amplitude, either side of the mid level
constexpr double kLowShare = 0.1;
constexpr double kHighShare = 0.9;

struct Levels {
    int minCode = kCodes;
    int maxCode = -1;
    double sum = 0;
    double sumSquares = 0;
    bool clipped = false;
    double top = 0; // upward levels
    double base = 0;
};

[[nodiscard]] double Up(int code) {
    return kCentreCode - code;
}

// The most frequent code of [from, to], or -1 when it is no flat level.
[[nodiscard]] int ModeCode(const Histogram& histogram, int from, int to) {
    int best = from;
    long total = 0;
    for (int code = from; code <= to; ++code) {
        total += histogram[code];
        if (histogram[code] > histogram[best]) {
            best = code;
        }
    }
    return histogram[best] >= kMinModeShare * static_cast<double>(total) && histogram[best] > 1
               ? best
               : -1;
}

// Four partial histograms, so that runs of one code do not wait on one counter.
[[nodiscard]] Histogram Count(const ChannelTrace& trace) {
    constexpr int kLanes = 4;
    std::array<Histogram, kLanes> lanes{};
    int i = 0;
    for (; i + kLanes <= trace.count; i += kLanes) {
        for (int lane = 0; lane < kLanes; ++lane) {
            ++lanes[lane][trace.codes[i + lane]];
        }
    }
    for (; i < trace.count; ++i) {
        ++lanes[0][trace.codes[i]];
    }
    Histogram histogram{};
    for (int code = 0; code < kCodes; ++code) {
        histogram[code] = lanes[0][code] + lanes[1][code] + lanes[2][code] + lanes[3][code];
    }
    return histogram;
}

[[nodiscard]] Levels FindLevels(const ChannelTrace& trace) {
    const Histogram histogram = Count(trace);
    Levels levels;
    for (int code = 0; code < kCodes; ++code) {
        if (histogram[code] > 0) {
            const double up = Up(code);
            levels.sum += histogram[code] * up;
            levels.sumSquares += histogram[code] * up * up;
            levels.minCode = std::min(levels.minCode, code);
            levels.maxCode = code;
        }
    }
    levels.clipped = levels.minCode <= kClipTopCode || levels.maxCode >= kClipBottomCode;
    // Smaller codes are higher: the top is the mode of the upper (small-code) half.
    const int middle = (levels.minCode + levels.maxCode) / 2;
    const int topCode = ModeCode(histogram, levels.minCode, middle);
    const int baseCode = ModeCode(histogram, middle + 1, levels.maxCode);
    levels.top = Up(topCode >= 0 ? topCode : levels.minCode);
    levels.base = Up(baseCode >= 0 ? baseCode : levels.maxCode);
    return levels;
}

// Fractional sample index where the trace passes `level` between samples i - 1 and i.
[[nodiscard]] double Crossing(double before, double after, int i, double level) {
    return (i - 1) + (level - before) / (after - before);
}

enum Direction { kRising = 0, kFalling = 1 };

// The edges of one direction found with mid-level crossings (hysteresis), and its complete
// 10 %-90 % transitions, in samples.
struct EdgeSet {
    int count = 0;
    double first = 0;
    double last = 0;
    double transitionSum = 0;
    int transitions = 0;
    double sinceOtherSum = 0; // from the other direction's edge before: a -width for rises
    int sinceOther = 0;
};

class EdgeFinder {
public:
    EdgeFinder(double top, double base) : base_(base), amplitude_(top - base) {
        const double mid = Level(0.5);
        const double hysteresis = std::max(1.0, kHysteresisShare * amplitude_);
        high_ = mid + hysteresis;
        low_ = mid - hysteresis;
    }

    [[nodiscard]] std::array<EdgeSet, 2> Run(const ChannelTrace& trace) {
        const Thresholds thresholds = ThresholdsOfCodes();
        const std::uint8_t* codes = trace.codes;
        std::uint8_t was = thresholds[codes[0]];
        state_ = (was & kHigh) != 0 ? State::High : (was & kLow) != 0 ? State::Low : State::Unknown;
        for (int i = 1; i < trace.count; ++i) {
            const std::uint8_t is = thresholds[codes[i]];
            // Every step of the state machine passes a threshold: most samples pass none.
            if (is != was) {
                Step(Up(codes[i - 1]), Up(codes[i]), i, was, is);
                was = is;
            }
        }
        return edges_;
    }

private:
    enum class State { Unknown, Low, High };
    // Per code, the levels it lies at or above (and kLow: at or below the low hysteresis level).
    enum : std::uint8_t { kP10 = 1, kMid = 2, kP90 = 4, kHigh = 8, kLow = 16 };
    using Thresholds = std::array<std::uint8_t, kCodes>;

    [[nodiscard]] Thresholds ThresholdsOfCodes() const {
        const double p10 = Level(kLowShare);
        const double mid = Level(0.5);
        const double p90 = Level(kHighShare);
        Thresholds thresholds{};
        for (int code = 0; code < kCodes; ++code) {
            const double up = Up(code);
            thresholds[code] = static_cast<std::uint8_t>(
                (up >= p10 ? kP10 : 0) | (up >= mid ? kMid : 0) | (up >= p90 ? kP90 : 0) |
                (up >= high_ ? kHigh : 0) | (up <= low_ ? kLow : 0));
        }
        return thresholds;
    }

    [[nodiscard]] static bool Passed(std::uint8_t was, std::uint8_t is, std::uint8_t level,
                                     bool upwards) {
        return ((was & level) == 0) == upwards && ((is & level) != 0) == upwards;
    }

    void Step(double before, double now, int i, std::uint8_t was, std::uint8_t is) {
        const double p10 = Level(kLowShare);
        const double p90 = Level(kHighShare);
        for (const Direction d : {kRising, kFalling}) {
            const bool up = d == kRising;
            if (Passed(was, is, kMid, up)) {
                mid_[d] = Crossing(before, now, i, Level(0.5));
            }
            if (Passed(was, is, up ? kP10 : kP90, up)) {
                start_[d] = Crossing(before, now, i, up ? p10 : p90);
            }
        }
        if (state_ != State::High && (is & kHigh) != 0) {
            Enter(kRising);
        } else if (state_ != State::Low && (is & kLow) != 0) {
            Enter(kFalling);
        }
        for (const Direction d : {kRising, kFalling}) {
            const bool up = d == kRising;
            if (pending_[d] && Passed(was, is, up ? kP90 : kP10, up)) {
                edges_[d].transitionSum += Crossing(before, now, i, up ? p90 : p10) - start_[d];
                ++edges_[d].transitions;
                pending_[d] = false;
            }
        }
    }

    [[nodiscard]] double Level(double share) const { return base_ + share * amplitude_; }

    // The hysteresis level of direction d is reached: an edge when the trace came from the
    // other side, at its last mid-level crossing.
    void Enter(Direction d) {
        const Direction other = d == kRising ? kFalling : kRising;
        if (state_ == (d == kRising ? State::Low : State::High)) {
            EdgeSet& set = edges_[d];
            const double at = mid_[d];
            (set.count == 0 ? set.first : set.last) = at;
            if (edges_[other].count > 0) {
                set.sinceOtherSum += at - last_[other];
                ++set.sinceOther;
            }
            ++set.count;
            last_[d] = at;
            pending_[d] = start_[d] >= 0 && start_[d] <= at;
        }
        pending_[other] = false;
        start_[other] = -1;
        state_ = d == kRising ? State::High : State::Low;
    }

    double base_;
    double amplitude_;
    double high_ = 0;
    double low_ = 0;
    State state_ = State::Unknown;
    std::array<double, 2> mid_{-1, -1};   // last mid-level crossing of each direction
    std::array<double, 2> start_{-1, -1}; // last pass of the 10 % (90 %) level since the other side
    std::array<double, 2> last_{};        // last edge of each direction
    std::array<bool, 2> pending_{};       // a transition started and not yet complete
    std::array<EdgeSet, 2> edges_{};
};

[[nodiscard]] bool Usable(const ChannelTrace& trace) {
    return trace.codes != nullptr && trace.count >= 2 && std::isfinite(trace.voltsPerDiv) &&
           trace.voltsPerDiv > 0 && std::isfinite(trace.secondsPerSample) &&
           trace.secondsPerSample > 0 &&
           std::isfinite(trace.voltsPerDiv * trace.secondsPerSample) &&
           std::abs(trace.groundCodes) < (1 << 20);
}

void Set(ChannelResult& out, Measure m, double value, bool valid = true) {
    out[m] = Reading{valid && std::isfinite(value) ? value : 0, valid && std::isfinite(value)};
}

void SetVoltages(const ChannelTrace& trace, const Levels& levels, bool flat, ChannelResult& out) {
    const double volts = trace.voltsPerDiv * kVoltsPerCodePerScale;
    const double ground = trace.groundCodes;
    const double n = trace.count;
    const double mean = levels.sum / n;
    const double meanSquare = levels.sumSquares / n - 2 * ground * mean + ground * ground;
    const double vmax = (Up(levels.minCode) - ground) * volts;
    const double vmin = (Up(levels.maxCode) - ground) * volts;
    const bool shaped = !flat && !levels.clipped;
    const double amplitude = levels.top - levels.base;
    Set(out, Measure::Vmax, vmax, !levels.clipped);
    Set(out, Measure::Vmin, vmin, !levels.clipped);
    Set(out, Measure::Vpp, vmax - vmin, !levels.clipped);
    Set(out, Measure::Vtop, (levels.top - ground) * volts, shaped);
    Set(out, Measure::Vbase, (levels.base - ground) * volts, shaped);
    Set(out, Measure::Vamp, amplitude * volts, shaped);
    Set(out, Measure::Vavg, (mean - ground) * volts, !levels.clipped);
    Set(out, Measure::Vrms, std::sqrt(std::max(0.0, meanSquare)) * volts, !levels.clipped);
    Set(out, Measure::Overshoot, 100 * (Up(levels.minCode) - levels.top) / amplitude, shaped);
    Set(out, Measure::Preshoot, 100 * (levels.base - Up(levels.maxCode)) / amplitude, shaped);
}

[[nodiscard]] double Mean(double sum, int count) {
    return count > 0 ? sum / count : 0;
}

void SetTimes(const ChannelTrace& trace, const std::array<EdgeSet, 2>& edges, bool clipped,
              ChannelResult& out) {
    const double dt = trace.secondsPerSample;
    // Whole periods of the direction that shows more of them.
    const EdgeSet& timed =
        edges[kRising].count >= edges[kFalling].count ? edges[kRising] : edges[kFalling];
    const int periods = timed.count - 1;
    const bool periodic = periods >= 1;
    const double period = periodic ? (timed.last - timed.first) / periods * dt : 0;
    Set(out, Measure::Period, period, periodic);
    Set(out, Measure::Frequency, 1 / period, periodic);
    // A clipped trace keeps its period; its levels, and so its transitions, are unknown.
    const bool shaped = !clipped;
    const EdgeSet& rises = edges[kRising];
    const EdgeSet& falls = edges[kFalling];
    Set(out, Measure::RiseTime, Mean(rises.transitionSum, rises.transitions) * dt,
        shaped && rises.transitions > 0);
    Set(out, Measure::FallTime, Mean(falls.transitionSum, falls.transitions) * dt,
        shaped && falls.transitions > 0);
    const double high = Mean(falls.sinceOtherSum, falls.sinceOther) * dt;
    const double low = Mean(rises.sinceOtherSum, rises.sinceOther) * dt;
    Set(out, Measure::PositiveWidth, high, shaped && falls.sinceOther > 0);
    Set(out, Measure::NegativeWidth, low, shaped && rises.sinceOther > 0);
    Set(out, Measure::PositiveDuty, 100 * high / period,
        shaped && periodic && falls.sinceOther > 0);
    Set(out, Measure::NegativeDuty, 100 * low / period, shaped && periodic && rises.sinceOther > 0);
}

// The first mid-level edges of a channel, which the delays need (samples; < 0 when none).
struct ChannelEdges {
    double firstRise = -1;
    double firstFall = -1;
};

[[nodiscard]] ChannelEdges AnalyseChannel(const ChannelTrace& trace, ChannelResult& out) {
    out = ChannelResult{};
    if (!Usable(trace)) {
        return {};
    }
    out.secondsPerSample = trace.secondsPerSample;
    const Levels levels = FindLevels(trace);
    out.clipped = levels.clipped;
    const bool flat = levels.maxCode - levels.minCode < kMinSpanCodes;
    SetVoltages(trace, levels, flat, out);
    if (flat || levels.top - levels.base < kMinSpanCodes) {
        return {};
    }
    const std::array<EdgeSet, 2> edges = EdgeFinder(levels.top, levels.base).Run(trace);
    SetTimes(trace, edges, levels.clipped, out);
    if (levels.clipped) {
        return {};
    }
    const auto first = [](const EdgeSet& set) { return set.count > 0 ? set.first : -1; };
    return {first(edges[kRising]), first(edges[kFalling])};
}

void SetDelay(PairResult& out, Measure m, double first1, double first2, double dt) {
    for (ChannelResult& result : out.channel) {
        Set(result, m, (first2 - first1) * dt, first1 >= 0 && first2 >= 0);
    }
}

} // namespace

void MeasureChannel(const ChannelTrace& trace, ChannelResult& out) {
    static_cast<void>(AnalyseChannel(trace, out));
}

void MeasurePair(const ChannelTrace& ch1, const ChannelTrace& ch2, PairResult& out) {
    const ChannelEdges edges1 = AnalyseChannel(ch1, out.channel[0]);
    const ChannelEdges edges2 = AnalyseChannel(ch2, out.channel[1]);
    // Both traces share the time base; a pair with different steps has no common time.
    const bool common = ch1.secondsPerSample == ch2.secondsPerSample;
    const double dt = ch1.secondsPerSample;
    SetDelay(out, Measure::RisingDelay, common ? edges1.firstRise : -1, edges2.firstRise, dt);
    SetDelay(out, Measure::FallingDelay, common ? edges1.firstFall : -1, edges2.firstFall, dt);
}

} // namespace gauger
