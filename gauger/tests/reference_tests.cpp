// The measurements against a plain reference on awkward traces: one histogram counter, sums
// per sample and a state machine that compares every sample with every level. Traces are
// read at 25 V/div without offset, so a voltage is its upward code exactly and every reading
// must match to the last bit: the measuring code skips blocks of samples, counts in lanes and
// looks crossings up backwards, and none of that may change a result.
#include "gauger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace gauger::test {
namespace {

constexpr double kDt = 1e-5;

struct ReferenceEdges {
    int count = 0;
    double first = 0;
    double last = 0;
    double transitionSum = 0;
    int transitions = 0;
    double sinceOtherSum = 0;
    int sinceOther = 0;
};

struct Reference {
    int minCode = 256;
    int maxCode = -1;
    double sum = 0;
    double sumSquares = 0;
    double top = 0;
    double base = 0;
    std::array<ReferenceEdges, 2> edges{}; // rising, falling
};

double Up(int code) {
    return kCentreCode - code;
}

int Mode(const std::array<int, 256>& histogram, int from, int to) {
    int best = -1;
    long total = 0;
    for (int code = from; code <= to; ++code) {
        total += histogram[code];
        if (best < 0 || histogram[code] > histogram[best]) {
            best = code;
        }
    }
    return best >= 0 && histogram[best] > 1 && histogram[best] >= 0.05 * total ? best : -1;
}

void ReferenceLevels(const std::vector<std::uint8_t>& codes, Reference& r) {
    std::array<int, 256> histogram{};
    for (const std::uint8_t code : codes) {
        ++histogram[code];
        r.minCode = std::min<int>(r.minCode, code);
        r.maxCode = std::max<int>(r.maxCode, code);
        r.sum += Up(code);
        r.sumSquares += Up(code) * Up(code);
    }
    const int middle = (r.minCode + r.maxCode) / 2;
    const int top = Mode(histogram, r.minCode, middle);
    const int base = Mode(histogram, middle + 1, r.maxCode);
    r.top = Up(top >= 0 ? top : r.minCode);
    r.base = Up(base >= 0 ? base : r.maxCode);
}

// Mid-level edges with hysteresis and 10 %-90 % transitions, sample by sample.
void ReferenceEdgesOf(const std::vector<std::uint8_t>& codes, Reference& r) {
    const double amplitude = r.top - r.base;
    const auto level = [&](double share) { return r.base + share * amplitude; };
    const double p10 = level(0.1);
    const double mid = level(0.5);
    const double p90 = level(0.9);
    const double hysteresis = std::max(1.0, 0.1 * amplitude);
    enum { kUnknown, kLow, kHigh };
    const double first = Up(codes[0]);
    int state = first >= mid + hysteresis ? kHigh : first <= mid - hysteresis ? kLow : kUnknown;
    std::array<double, 2> midPass{-1, -1};
    std::array<double, 2> start{-1, -1};
    std::array<double, 2> lastEdge{};
    std::array<bool, 2> pending{};
    for (std::size_t i = 1; i < codes.size(); ++i) {
        const double before = Up(codes[i - 1]);
        const double now = Up(codes[i]);
        const auto at = [&](double l) { return (i - 1) + (l - before) / (now - before); };
        const auto rose = [&](double l) { return before < l && now >= l; };
        const auto fell = [&](double l) { return before >= l && now < l; };
        if (rose(mid)) {
            midPass[0] = at(mid);
        }
        if (fell(mid)) {
            midPass[1] = at(mid);
        }
        if (rose(p10)) {
            start[0] = at(p10);
        }
        if (fell(p90)) {
            start[1] = at(p90);
        }
        int entered = -1;  // the direction whose hysteresis level the sample reaches
        bool edge = false; // from the other side
        if (state != kHigh && now >= mid + hysteresis) {
            entered = 0;
            edge = state == kLow;
            state = kHigh;
        } else if (state != kLow && now <= mid - hysteresis) {
            entered = 1;
            edge = state == kHigh;
            state = kLow;
        }
        if (entered >= 0) {
            const int other = 1 - entered;
            if (edge) {
                ReferenceEdges& set = r.edges[entered];
                (set.count == 0 ? set.first : set.last) = midPass[entered];
                if (r.edges[other].count > 0) {
                    set.sinceOtherSum += midPass[entered] - lastEdge[other];
                    ++set.sinceOther;
                }
                ++set.count;
                lastEdge[entered] = midPass[entered];
                pending[entered] = start[entered] >= 0 && start[entered] <= midPass[entered];
            }
            pending[other] = false;
            start[other] = -1;
        }
        if (pending[0] && rose(p90)) {
            r.edges[0].transitionSum += at(p90) - start[0];
            ++r.edges[0].transitions;
            pending[0] = false;
        }
        if (pending[1] && fell(p10)) {
            r.edges[1].transitionSum += at(p10) - start[1];
            ++r.edges[1].transitions;
            pending[1] = false;
        }
    }
}

[[nodiscard]] Reference ReferenceOf(const std::vector<std::uint8_t>& codes) {
    Reference r;
    ReferenceLevels(codes, r);
    if (r.maxCode - r.minCode >= kMinSpanCodes && r.top - r.base >= kMinSpanCodes) {
        ReferenceEdgesOf(codes, r);
    }
    return r;
}

void ExpectExactly(const ChannelResult& result, Measure m, bool valid, double value) {
    SCOPED_TRACE(static_cast<int>(m));
    ASSERT_EQ(result[m].valid, valid);
    if (valid) {
        EXPECT_EQ(result[m].value, value);
    }
}

double Mean(double sum, int count) {
    return sum / count;
}

void ExpectAsReference(const std::vector<std::uint8_t>& codes, const ChannelResult& result) {
    const Reference r = ReferenceOf(codes);
    const bool clipped = r.minCode <= kClipTopCode || r.maxCode >= kClipBottomCode;
    const bool shaped = !clipped && r.maxCode - r.minCode >= kMinSpanCodes;
    const double n = static_cast<double>(codes.size());
    ASSERT_EQ(result.clipped, clipped);
    ExpectExactly(result, Measure::Vmax, !clipped, Up(r.minCode));
    ExpectExactly(result, Measure::Vmin, !clipped, Up(r.maxCode));
    ExpectExactly(result, Measure::Vavg, !clipped, r.sum / n);
    ExpectExactly(result, Measure::Vrms, !clipped, std::sqrt(std::max(0.0, r.sumSquares / n)));
    ExpectExactly(result, Measure::Vtop, shaped, r.top);
    ExpectExactly(result, Measure::Vbase, shaped, r.base);
    const ReferenceEdges& rises = r.edges[0];
    const ReferenceEdges& falls = r.edges[1];
    const ReferenceEdges& timed = rises.count >= falls.count ? rises : falls;
    const int periods = timed.count - 1;
    ExpectExactly(result, Measure::Period, periods >= 1,
                  (timed.last - timed.first) / periods * kDt);
    ExpectExactly(result, Measure::RiseTime, !clipped && rises.transitions > 0,
                  Mean(rises.transitionSum, rises.transitions) * kDt);
    ExpectExactly(result, Measure::FallTime, !clipped && falls.transitions > 0,
                  Mean(falls.transitionSum, falls.transitions) * kDt);
    ExpectExactly(result, Measure::PositiveWidth, !clipped && falls.sinceOther > 0,
                  Mean(falls.sinceOtherSum, falls.sinceOther) * kDt);
    ExpectExactly(result, Measure::NegativeWidth, !clipped && rises.sinceOther > 0,
                  Mean(rises.sinceOtherSum, rises.sinceOther) * kDt);
}

[[nodiscard]] ChannelTrace TraceOf(const std::vector<std::uint8_t>& codes) {
    return {codes.data(), static_cast<int>(codes.size()), 0, 25.0, kDt};
}

[[nodiscard]] std::uint8_t Code(double up) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(kCentreCode - up), 0L, 255L));
}

// Seeded awkward traces: noisy squares of small amplitude (the hysteresis is one code), slow
// ramps that dwell between the levels over many blocks, random walks and alternating codes,
// some clamped to the display's rows, at lengths around the lane count and the block size.
class Traces {
public:
    explicit Traces(unsigned seed) : random_(seed) {}

    [[nodiscard]] std::vector<std::uint8_t> Next(int count) {
        std::normal_distribution<double> noise(0.0, Uniform(0.01, 3));
        const double amplitude = Pick(2) ? Uniform(2.5, 8) : Uniform(10, 110);
        const double period = Pick(2) ? Uniform(4, 60) : Uniform(150, 3000);
        const double offset = Uniform(-30, 30);
        const int kind = static_cast<int>(Uniform(0, 4));
        double walk = 0;
        std::vector<std::uint8_t> codes(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const double t = std::fmod(i / period, 1.0);
            double up = 0;
            if (kind == 0) {
                up = t < 0.4 ? amplitude : -amplitude;
            } else if (kind == 1) {
                up = amplitude * (t < 0.5 ? 4 * t - 1 : 3 - 4 * t); // triangle
            } else if (kind == 2) {
                walk += noise(random_);
                up = walk;
            } else {
                up = i % 2 == 0 ? amplitude : -amplitude;
            }
            codes[static_cast<std::size_t>(i)] = Code(offset + up + noise(random_));
        }
        if (Pick(5)) {
            for (std::uint8_t& code : codes) {
                code = std::clamp<std::uint8_t>(code, kClipTopCode, kClipBottomCode);
            }
        }
        return codes;
    }

private:
    [[nodiscard]] double Uniform(double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random_);
    }
    [[nodiscard]] bool Pick(int oneIn) { return Uniform(0, oneIn) < 1; }

    std::mt19937 random_;
};

TEST(GaugerReference, AwkwardTracesMatchThePlainDefinitions) {
    Traces traces(2026);
    std::vector<int> lengths;
    for (int count = 2; count <= 40; ++count) {
        lengths.push_back(count);
    }
    for (const int blocks : {3, 10, 40, 128}) {
        for (int extra = -2; extra <= 2; ++extra) {
            lengths.push_back(16 * blocks + extra);
        }
    }
    for (int round = 0; round < 6; ++round) {
        for (const int count : lengths) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", " << count << " samples");
            const std::vector<std::uint8_t> codes = traces.Next(count);
            ChannelResult result;
            MeasureChannel(TraceOf(codes), result);
            ExpectAsReference(codes, result);
        }
    }
}

// Edges at the very ends: a trace that starts past the high level and steps at the first and
// the last sample, and a noisy mid band that never reaches the other hysteresis level.
TEST(GaugerReference, EdgesAtTheEndsAndInsideTheHysteresis) {
    std::vector<std::vector<std::uint8_t>> cases;
    cases.push_back({Code(40), Code(-40), Code(-40), Code(-40), Code(40)});
    cases.push_back({Code(-40), Code(40)});
    std::vector<std::uint8_t> band(300, Code(-40));
    for (std::size_t i = 100; i < 200; ++i) {
        band[i] = Code(i % 3 == 0 ? 4 : -2); // about the mid level, inside the hysteresis
    }
    band.back() = Code(40);
    cases.push_back(band);
    for (const auto& codes : cases) {
        SCOPED_TRACE(codes.size());
        ChannelResult result;
        MeasureChannel(TraceOf(codes), result);
        ExpectAsReference(codes, result);
    }
}

// Flat traces on the outermost codes: the lower half of their code range is empty and lies
// past the last code (a sanitizer build catches a read there).
TEST(GaugerReference, FlatTracesOnTheOutermostCodes) {
    for (const std::uint8_t code : {std::uint8_t{0}, std::uint8_t{255}}) {
        const std::vector<std::uint8_t> codes(33, code);
        ChannelResult result;
        MeasureChannel(TraceOf(codes), result);
        EXPECT_TRUE(result.clipped);
        EXPECT_FALSE(result[Measure::Period].valid);
        EXPECT_FALSE(result[Measure::Vtop].valid);
    }
}

// The delays use each channel's first edge, whichever block it falls in.
TEST(GaugerReference, DelaysFromTheFirstEdges) {
    Traces traces(77);
    for (int round = 0; round < 40; ++round) {
        const std::vector<std::uint8_t> ch1 = traces.Next(1400);
        const std::vector<std::uint8_t> ch2 = traces.Next(1400);
        PairResult pair;
        MeasurePair(TraceOf(ch1), TraceOf(ch2), pair);
        const Reference r1 = ReferenceOf(ch1);
        const Reference r2 = ReferenceOf(ch2);
        const bool clipped = pair.channel[0].clipped || pair.channel[1].clipped;
        for (int d = 0; d < 2; ++d) {
            const bool valid = !clipped && r1.edges[d].count > 0 && r2.edges[d].count > 0;
            ExpectExactly(pair.channel[0], d == 0 ? Measure::RisingDelay : Measure::FallingDelay,
                          valid, (r2.edges[d].first - r1.edges[d].first) * kDt);
        }
    }
}

} // namespace
} // namespace gauger::test
