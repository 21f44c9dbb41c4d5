// One pass for the histogram (the sums and levels follow from it), one pass of a threshold
// state machine for the edges; levels are kept in codes measured upwards from the centre
// (kCentreCode - code).
#include "gauger.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <utility>

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

// The most frequent code of [from, to] (the first of equals), or -1 when it is no flat level
// or the range is empty.
[[nodiscard]] int ModeCode(const Histogram& histogram, int from, int to) {
    if (from > to) {
        return -1;
    }
    const auto first = histogram.begin() + from;
    const auto last = histogram.begin() + to + 1;
    const int most = *std::max_element(first, last);
    const int total = std::accumulate(first, last, 0); // at most the sample count
    const auto best = static_cast<int>(std::find(first, last, most) - histogram.begin());
    return most >= kMinModeShare * static_cast<double>(total) && most > 1 ? best : -1;
}

// Partial histograms, so that runs of one code do not wait on one counter; merged after.
constexpr int kLanes = 4;

template <std::size_t... Lane>
void CountLanes(const std::uint8_t* codes, int count, std::array<Histogram, kLanes>& lanes,
                std::index_sequence<Lane...>) {
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        (++lanes[Lane][codes[i + static_cast<int>(Lane)]], ...);
    }
    for (; i < count; ++i) {
        ++lanes[0][codes[i]];
    }
}

template <std::size_t... Lane>
[[nodiscard]] Histogram Merged(const std::array<Histogram, kLanes>& lanes,
                               std::index_sequence<Lane...>) {
    Histogram histogram{};
    for (int code = 0; code < kCodes; ++code) {
        histogram[code] = (lanes[Lane][code] + ...);
    }
    return histogram;
}

[[nodiscard]] Histogram Count(const ChannelTrace& trace) {
    std::array<Histogram, kLanes> lanes{};
    CountLanes(trace.codes, trace.count, lanes, std::make_index_sequence<kLanes>{});
    return Merged(lanes, std::make_index_sequence<kLanes>{});
}

[[nodiscard]] Levels FindLevels(const ChannelTrace& trace) {
    const Histogram histogram = Count(trace);
    Levels levels;
    levels.minCode = static_cast<int>(
        std::find_if(histogram.begin(), histogram.end(), [](int n) { return n > 0; }) -
        histogram.begin());
    levels.maxCode = static_cast<int>(
        histogram.rend() -
        std::find_if(histogram.rbegin(), histogram.rend(), [](int n) { return n > 0; }) - 1);
    // Whole numbers: exact in 64 bits, and so equal to any order of summing them as doubles.
    std::int64_t sum = 0;
    std::int64_t sumSquares = 0;
    for (int code = levels.minCode; code <= levels.maxCode; ++code) {
        const std::int64_t up = kCentreCode - code;
        sum += histogram[code] * up;
        sumSquares += histogram[code] * up * up;
    }
    levels.sum = static_cast<double>(sum);
    levels.sumSquares = static_cast<double>(sumSquares);
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

// A threshold state machine over the samples; each sample's thresholds come from a table of
// codes. In each state only a few thresholds can end it or complete a pending transition
// (Relevant): a sample changing none of them is no step, and a block of samples all within
// the run of codes around the last step's is skipped at once. Where an edge's mid level and
// its transition's start were passed is looked up backwards when the edge is found, and only
// the crossings used are interpolated.
class EdgeFinder {
public:
    EdgeFinder(const ChannelTrace& trace, double top, double base)
        : codes_(trace.codes), count_(trace.count), p10_(Level(base, top - base, kLowShare)),
          mid_(Level(base, top - base, 0.5)), p90_(Level(base, top - base, kHighShare)) {
        const double hysteresis = std::max(1.0, kHysteresisShare * (top - base));
        high_ = mid_ + hysteresis;
        low_ = mid_ - hysteresis;
        splits_ = {LastCodeAtOrAbove(p10_) + 1, LastCodeAtOrAbove(mid_) + 1,
                   LastCodeAtOrAbove(p90_) + 1, LastCodeAtOrAbove(high_) + 1,
                   kCentreCode - static_cast<int>(std::floor(low_))};
        for (int& split : splits_) {
            split = std::clamp(split, 0, kCodes);
        }
    }

    [[nodiscard]] std::array<EdgeSet, 2> Run() {
        FillThresholds();
        const std::uint8_t first = thresholds_[codes_[0]];
        state_ = (first & kHigh) != 0  ? State::High
                 : (first & kLow) != 0 ? State::Low
                                       : State::Unknown;
        Settle(0);
        for (int i = NextOutsideRun(1); i < count_; i = NextOutsideRun(i + 1)) {
            Step(i, thresholds_[codes_[i - 1]], thresholds_[codes_[i]]);
        }
        return edges_;
    }

private:
    enum class State { Unknown, Low, High };
    // Per code, the levels it lies at or above (and kLow: at or below the low hysteresis level).
    enum : std::uint8_t { kP10 = 1, kMid = 2, kP90 = 4, kHigh = 8, kLow = 16 };
    static constexpr int kThresholds = 5;
    enum { kP10Index = 0, kMidIndex = 1, kP90Index = 2 }; // the bits' positions
    // Samples tested at once for staying in one run: one vector register of codes.
    static constexpr int kBlock = 16;
    static constexpr int kNone = -1; // no sample index

    [[nodiscard]] static double Level(double base, double amplitude, double share) {
        return base + share * amplitude;
    }

    // Upward levels of codes are whole numbers: up >= level exactly when up >= ceil(level).
    [[nodiscard]] static int LastCodeAtOrAbove(double level) {
        return kCentreCode - static_cast<int>(std::ceil(level));
    }

    [[nodiscard]] std::uint8_t ThresholdsOf(int code) const {
        const double up = Up(code);
        return static_cast<std::uint8_t>((up >= p10_ ? kP10 : 0) | (up >= mid_ ? kMid : 0) |
                                         (up >= p90_ ? kP90 : 0) | (up >= high_ ? kHigh : 0) |
                                         (up <= low_ ? kLow : 0));
    }

    // Each level splits the codes once: the table holds one value between two splits.
    void FillThresholds() {
        std::array<int, kThresholds + 2> bounds{};
        std::copy(splits_.begin(), splits_.end(), bounds.begin() + 1);
        bounds.back() = kCodes;
        std::sort(bounds.begin(), bounds.end());
        for (std::size_t b = 1; b < bounds.size(); ++b) {
            std::memset(thresholds_.data() + bounds[b - 1], ThresholdsOf(bounds[b - 1]),
                        static_cast<std::size_t>(bounds[b] - bounds[b - 1]));
        }
    }

    // The thresholds that can end the state or complete its pending transition. Whatever else
    // a sample passes is looked up when needed: Enter finds the mid level's and the start
    // level's last passes, and the 90 % (10 %) level cannot be passed on a rise (fall) before
    // the high (low) level ends the state, as 10 % < low < mid < high < 90 % for any amplitude
    // measured.
    [[nodiscard]] std::uint8_t Relevant() const {
        switch (state_) {
        case State::Low:
            return kHigh | (pending_[kFalling] ? kP10 : 0);
        case State::High:
            return kLow | (pending_[kRising] ? kP90 : 0);
        case State::Unknown:
            break;
        }
        return kHigh | kLow;
    }

    // Sample i is where the relevant thresholds were last seen changing: the run of codes
    // around it that share them.
    void Settle(int i) {
        const std::uint8_t relevant = Relevant();
        const int code = codes_[i];
        int from = 0;
        int to = kCodes;
        for (int t = 0; t < kThresholds; ++t) {
            if ((relevant & (1 << t)) == 0) {
                continue;
            }
            if (splits_[t] <= code) {
                from = std::max(from, splits_[t]);
            } else {
                to = std::min(to, splits_[t]);
            }
        }
        runFrom_ = static_cast<std::uint8_t>(from);
        runSpan_ = static_cast<std::uint8_t>(to - 1 - from);
    }

    // Whether `code` lies in [from, from + span]: codes below `from` wrap round to large
    // offsets.
    [[nodiscard]] static bool In(std::uint8_t code, std::uint8_t from, std::uint8_t span) {
        return static_cast<std::uint8_t>(code - from) <= span;
    }

    // Whether all kBlock codes from `codes` lie in [from, from + span].
    [[nodiscard]] static bool BlockIn(const std::uint8_t* codes, std::uint8_t from,
                                      std::uint8_t span) {
        std::uint8_t farthest = 0;
        for (int k = 0; k < kBlock; ++k) {
            farthest = std::max(farthest, static_cast<std::uint8_t>(codes[k] - from));
        }
        return farthest <= span;
    }

    // The first sample from i on whose code lies outside the run, count_ when none.
    [[nodiscard]] int NextOutsideRun(int i) const {
        while (count_ - i >= kBlock && BlockIn(codes_ + i, runFrom_, runSpan_)) {
            i += kBlock;
        }
        while (i < count_ && In(codes_[i], runFrom_, runSpan_)) {
            ++i;
        }
        return i;
    }

    // The last sample in (after, at] where the trace passed the level of threshold `t` (one
    // of those codes lie at or above up to their split) to the side sample `at` is on: the
    // sample after the last one on the other side, kNone when none is. A block of samples is
    // tested one by one (steep edges pass there), then whole blocks while they can be.
    [[nodiscard]] int LastPassTo(int t, int after, int at) const {
        const int split = splits_[t];
        const bool above = codes_[at] < split;
        const auto from = static_cast<std::uint8_t>(above ? 0 : split);
        const auto span = static_cast<std::uint8_t>(above ? split - 1 : kCodes - 1 - split);
        int k = at - 1;
        while (k >= after) {
            for (const int stop = std::max(after, k - kBlock + 1); k >= stop; --k) {
                if (!In(codes_[k], from, span)) {
                    return k + 1;
                }
            }
            while (k - kBlock + 1 >= after && BlockIn(codes_ + k - kBlock + 1, from, span)) {
                k -= kBlock;
            }
        }
        return kNone;
    }

    // Where the trace passed `level` between sample `at` - 1 and `at`; -1 for kNone.
    [[nodiscard]] double CrossingAt(int at, double level) const {
        return at == kNone ? -1 : Crossing(Up(codes_[at - 1]), Up(codes_[at]), at, level);
    }

    // Sample i has thresholds `is`, sample i - 1 had `was`.
    void Step(int i, std::uint8_t was, std::uint8_t is) {
        if (state_ != State::High && (is & kHigh) != 0) {
            Enter(kRising, i);
        } else if (state_ != State::Low && (is & kLow) != 0) {
            Enter(kFalling, i);
        }
        const std::array<std::uint8_t, 2> passed{static_cast<std::uint8_t>(is & ~was),
                                                 static_cast<std::uint8_t>(was & ~is)};
        for (const Direction d : {kRising, kFalling}) {
            const bool up = d == kRising;
            if (pending_[d] && (passed[d] & (up ? kP90 : kP10)) != 0) {
                edges_[d].transitionSum += CrossingAt(i, up ? p90_ : p10_) - start_[d];
                ++edges_[d].transitions;
                pending_[d] = false;
            }
        }
        Settle(i);
    }

    // Sample i reaches the hysteresis level of direction d: an edge when the trace came from
    // the other side, at its last mid-level crossing since.
    void Enter(Direction d, int i) {
        const Direction other = d == kRising ? kFalling : kRising;
        const bool up = d == kRising;
        if (state_ == (up ? State::Low : State::High)) {
            EdgeSet& set = edges_[d];
            const double at = CrossingAt(LastPassTo(kMidIndex, enteredAt_, i), mid_);
            (set.count == 0 ? set.first : set.last) = at;
            if (edges_[other].count > 0) {
                set.sinceOtherSum += at - last_[other];
                ++set.sinceOther;
            }
            ++set.count;
            last_[d] = at;
            start_[d] =
                CrossingAt(LastPassTo(up ? kP10Index : kP90Index, enteredAt_, i), up ? p10_ : p90_);
            pending_[d] = start_[d] >= 0 && start_[d] <= at;
        }
        pending_[other] = false;
        state_ = up ? State::High : State::Low;
        enteredAt_ = i;
    }

    const std::uint8_t* codes_;
    int count_;
    double p10_;
    double mid_;
    double p90_;
    double high_ = 0;
    double low_ = 0;
    std::array<int, kThresholds> splits_{}; // per threshold bit, its first code past the split
    std::array<std::uint8_t, kCodes> thresholds_;
    State state_ = State::Unknown;
    int enteredAt_ = 0; // the sample the state was entered at
    std::uint8_t runFrom_ = 0;
    std::uint8_t runSpan_ = 0;
    std::array<double, 2> start_{}; // where the pending transition started
    std::array<double, 2> last_{};  // last edge of each direction
    std::array<bool, 2> pending_{}; // a transition started and not yet complete
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
    const std::array<EdgeSet, 2> edges = EdgeFinder(trace, levels.top, levels.base).Run();
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
