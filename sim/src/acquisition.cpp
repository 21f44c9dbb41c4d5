// Acquisition: trigger search, live frames, the frame ring and the full record.
#include "sim_core.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace oxbow::sim::detail {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kSineSize = 4096;
constexpr int kNoiseSize = 8192;
constexpr int kCentre = kFrameSamples / 2;
constexpr double kScanUpdate = 0.04;   // seconds between frames while rolling or scanning
constexpr double kMinFrameTime = 1e-3; // the fastest the instrument re-arms
constexpr int kChunk = 2048;
constexpr double kExtremePeriods = 4.0;      // periods of the slowest component Extremes looks at
constexpr double kRollStepsPerPeriod = 16.0; // roll: samples per period of the fastest one
constexpr double kInsideStep = 1e-3; // a digital trigger lands just inside the counter's new step

struct Tables {
    float sine[kSineSize + 1];
    float gauss[kNoiseSize];
    Tables() {
        for (int i = 0; i <= kSineSize; ++i) {
            sine[i] = static_cast<float>(std::sin(kTwoPi * i / kSineSize));
        }
        std::uint64_t state = 0x2545F4914F6CDD1Dull;
        auto uniform = [&state] {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return ((state >> 11) + 0.5) / 9007199254740992.0;
        };
        for (int i = 0; i < kNoiseSize; ++i) {
            gauss[i] = static_cast<float>(std::sqrt(-2.0 * std::log(uniform())) *
                                          std::cos(kTwoPi * uniform()));
        }
    }
};

const Tables& SharedTables() {
    static const Tables tables;
    return tables;
}

double FastSine(const Tables& tables, double phase) {
    const double x = phase * kSineSize;
    const int i = static_cast<int>(x);
    const double frac = x - i;
    return tables.sine[i] + (tables.sine[i + 1] - tables.sine[i]) * frac;
}

// Volts at the probe tip of `count` samples at t0 + i * dt, with `noise` volts rms.
void Volts(Core& core, int channel, double t0, double dt, int count, double noise, double* volts) {
    const Tables& tables = SharedTables();
    const SignalSource& s = core.signals[channel];
    std::fill(volts, volts + count, s.dcOffset);
    for (const auto& c : s.components) {
        if (c.shape == Waveshape::Dc) {
            for (int i = 0; i < count; ++i)
                volts[i] += c.amplitude;
            continue;
        }
        const long double start = static_cast<long double>(c.frequency) * t0;
        const double phase0 = static_cast<double>(start - std::floor(start));
        const double step = c.frequency * dt;
        for (int i = 0; i < count; ++i) {
            double p = phase0 + i * step;
            p -= std::floor(p);
            volts[i] += ComponentValue(c, p, [&tables](double q) { return FastSine(tables, q); });
        }
    }
    if (noise > 0.0) {
        for (int i = 0; i < count; ++i)
            volts[i] += noise * core.noise.Next();
    }
}

// Raw codes: 125 at the centre, 25 per division, upward positive, clamped to 0..255.
void Quantize(const ChannelState& c, double mean, const double* volts, int count,
              std::uint8_t* out) {
    const double perVolt = 25.0 / c.scale;
    const double sign = c.invert ? -1.0 : 1.0;
    const double shift = c.coupling == 1 ? mean : 0.0;
    for (int i = 0; i < count; ++i) {
        const double code = 125.0 - ((volts[i] - shift) * sign + c.offset) * perVolt;
        out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(code), 0L, 255L));
    }
}

void AnalogCodes(Core& core, const DsoState& dso, int channel, double t0, double dt, int count,
                 std::uint8_t* out) {
    double volts[kChunk];
    const double mean = core.signals[channel].Mean();
    // Averaging N acquisitions leaves 1/sqrt(N) of the noise.
    const double averaged =
        dso.acqType == 1 ? std::sqrt(static_cast<double>(std::max(1, dso.acqAverages))) : 1.0;
    const double noise = core.signals[channel].noise / averaged;
    for (int done = 0; done < count; done += kChunk) {
        const int n = std::min(kChunk, count - done);
        Volts(core, channel, t0 + done * dt, dt, n, noise, volts);
        Quantize(dso.chan[channel], mean, volts, n, out + done);
    }
}

double HighestFrequency(const SignalSource& s) {
    double highest = 0.0;
    for (const auto& c : s.components)
        if (c.shape != Waveshape::Dc) highest = std::max(highest, c.frequency);
    return highest;
}

// Roll format: every pair of samples is one screen column, the lowest and the highest value
// the signal took during the pair's time (the later of the two second), so that a signal
// faster than the columns shows its band, as an instrument rolling in peak detect does.
// A pair spanning the few periods the signal's extremes are found in takes them whole;
// a shorter one is sampled finely.
void RollCodes(Core& core, const DsoState& dso, int channel, double t0, double dt, int count,
               std::uint8_t* out) {
    const SignalSource& s = core.signals[channel];
    const double span = 2.0 * dt;
    const double lowest = s.LowestFrequency();
    const bool whole = lowest > 0.0 && span * lowest >= kExtremePeriods;
    double low = 0.0;
    double high = 0.0;
    if (whole) s.Extremes(low, high);
    const int steps = static_cast<int>(std::clamp(
        std::ceil(span * HighestFrequency(s) * kRollStepsPerPeriod), 2.0, double{kChunk}));
    double volts[kChunk];
    double pair[kChunk];
    for (int done = 0; done < count; done += kChunk) {
        const int n = std::min(kChunk, count - done);
        for (int i = 0; i + 1 < n; i += 2) {
            const double start = t0 + (done + i) * dt;
            int lowAt = 0;
            int highAt = 1;
            if (whole) {
                pair[0] = low;
                pair[1] = high;
            } else {
                Volts(core, channel, start, span / steps, steps, 0.0, pair);
                lowAt = static_cast<int>(std::min_element(pair, pair + steps) - pair);
                highAt = static_cast<int>(std::max_element(pair, pair + steps) - pair);
            }
            const double a = pair[lowAt] + s.noise * core.noise.Next();
            const double b = pair[highAt] + s.noise * core.noise.Next();
            volts[i] = lowAt <= highAt ? a : b;
            volts[i + 1] = lowAt <= highAt ? b : a;
        }
        if (n % 2 != 0)
            Volts(core, channel, t0 + (done + n - 1) * dt, dt, 1, s.noise, volts + n - 1);
        Quantize(dso.chan[channel], s.Mean(), volts, n, out + done);
    }
}

// A channel's samples as the format sends them.
void ChannelCodes(Core& core, const DsoState& dso, int channel, double t0, double dt, int count,
                  std::uint8_t* out) {
    if (dso.timeFormat == 2)
        RollCodes(core, dso, channel, t0, dt, count, out);
    else
        AnalogCodes(core, dso, channel, t0, dt, count, out);
}

void DigitalCodes(const Core& core, double t0, double dt, int count, std::uint8_t* out) {
    for (int i = 0; i < count; ++i) {
        const std::uint16_t v = core.digital.Value(t0 + i * dt);
        out[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
}

// ---- trigger

struct EdgeCondition {
    std::int32_t source = 0;
    double level = 0.0; // volts at the probe tip
    int slope = 0;      // 0 rising, 1 falling, 2 either
};

double ChannelProbe(const DsoState& dso, std::int32_t source) {
    return source == 0 || source == 1 ? dso.chan[source].probe : 1.0;
}

int SlopeOfCondition(std::int32_t condition) {
    return condition < 3 ? 0 : 1;
}

EdgeCondition MainEdge(const DsoState& dso) {
    const TriggerState& t = dso.trig;
    switch (t.mode) {
    case 1:
        return {t.pulseSource, t.pulseLevel * ChannelProbe(dso, t.pulseSource),
                SlopeOfCondition(t.pulseMode)};
    case 2:
        return {t.slopeSource, t.slopeLevelA * ChannelProbe(dso, t.slopeSource),
                SlopeOfCondition(t.slopeMode)};
    case 3:
        return {t.videoSource, t.videoLevel * ChannelProbe(dso, t.videoSource), t.videoPolarity};
    default:
        return {t.edgeSource, t.edgeLevel * ChannelProbe(dso, t.edgeSource), t.edgeSlope};
    }
}

EdgeCondition AlternateEdge(const InstrumentState& st, int c) {
    const AltChannelState& a = st.alt[c];
    const double probe = st.dso.chan[c].probe;
    switch (a.type) {
    case 1:
        return {c, a.pulseLevel * probe, SlopeOfCondition(a.pulseMode)};
    case 2:
        return {c, a.slopeLevelA * probe, SlopeOfCondition(a.slopeMode)};
    case 3:
        return {c, a.videoLevel * probe, a.videoPolarity};
    default:
        return {c, a.edgeLevel * probe, a.edgeSlope};
    }
}

bool Crosses(double before, double after, int slope) {
    const bool rising = before < 0.0 && after >= 0.0;
    const bool falling = before > 0.0 && after <= 0.0;
    return slope == 0 ? rising : (slope == 1 ? falling : rising || falling);
}

// A signal that is bus traffic alone crosses a level between its two levels exactly at the
// wire's edges.
std::optional<double> BusEdge(const SignalSource& s, double level, int slope, double from,
                              double window) {
    const SignalComponent& c = s.components.front();
    const double low = s.dcOffset + std::min(0.0, c.amplitude);
    const double high = s.dcOffset + std::max(0.0, c.amplitude);
    if (!(level > low && level <= high)) {
        return std::nullopt;
    }
    const int wireSlope = c.amplitude < 0.0 && slope != 2 ? 1 - slope : slope;
    return c.bus->NextEdge(c.busLine, wireSlope, from, window);
}

std::optional<double> AnalogEdge(const Core& core, const EdgeCondition& edge, double from,
                                 double window) {
    const SignalSource& s = core.signals[edge.source];
    if (s.components.size() == 1 && s.components.front().shape == Waveshape::Bus) {
        const ChannelState& chan = core.st.dso.chan[edge.source];
        const bool ac = chan.coupling == 1 || core.st.dso.trig.coupling == 1;
        return BusEdge(s, edge.level + (ac ? s.Mean() : 0.0), edge.slope, from, window);
    }
    double highest = 0.0;
    for (const auto& c : s.components) {
        if (c.shape != Waveshape::Dc) highest = std::max(highest, c.frequency);
    }
    if (highest <= 0.0) {
        return std::nullopt;
    }
    const ChannelState& chan = core.st.dso.chan[edge.source];
    const bool ac = chan.coupling == 1 || core.st.dso.trig.coupling == 1;
    const double shift = edge.level + (ac ? s.Mean() : 0.0);
    auto g = [&](double t) { return s.Clean(t) - shift; };
    const double step = std::max(1.0 / (32.0 * highest), window / 40000.0);
    double a = from;
    double ga = g(a);
    for (double b = from + step; b <= from + window + step; b += step) {
        const double gb = g(b);
        if (Crosses(ga, gb, edge.slope)) {
            const bool rising = ga < 0.0;
            for (int i = 0; i < 60; ++i) {
                const double m = 0.5 * (a + b);
                ((g(m) < 0.0) == rising ? a : b) = m;
            }
            return b;
        }
        a = b;
        ga = gb;
    }
    return std::nullopt;
}

// Next counter step at which line `bit` changes in the wanted direction.
std::optional<double> DigitalEdge(const Core& core, int bit, int slope, double from,
                                  double window) {
    if (!core.digital.counter) {
        return std::nullopt;
    }
    const double rate = core.digital.rate;
    const double period = std::ldexp(1.0, bit + 1);
    const double phase = slope == 1 ? 0.0 : std::ldexp(1.0, bit);
    const double first = std::ceil(from * rate);
    const double k = std::ceil((first - phase) / period);
    double count = phase + k * period;
    if (slope == 2) {
        count = std::min(count, std::ldexp(1.0, bit) * std::ceil(first / std::ldexp(1.0, bit)));
    }
    const double t = (count + kInsideStep) / rate;
    return t <= from + window ? std::optional<double>(t) : std::nullopt;
}

// The lines of a pattern condition as masks, so a counter value is tested at once.
struct PatternMasks {
    std::uint16_t high = 0, low = 0, rising = 0, falling = 0;

    explicit PatternMasks(const std::array<std::int32_t, 16>& bits) {
        for (int i = 0; i < 16; ++i) {
            const auto bit = static_cast<std::uint16_t>(1u << i);
            switch (bits[i]) {
            case 0:
                high |= bit;
                break;
            case 1:
                low |= bit;
                break;
            case 3:
                rising |= bit;
                break;
            case 4:
                falling |= bit;
                break;
            default:
                break;
            }
        }
    }
    bool Levels(std::uint16_t now) const { return (now & high) == high && (now & low) == 0; }
    bool Holds(std::uint16_t before, std::uint16_t now) const {
        const std::uint16_t up = static_cast<std::uint16_t>(~before & now);
        const std::uint16_t down = static_cast<std::uint16_t>(before & ~now);
        return Levels(now) && (up & rising) == rising && (down & falling) == falling;
    }
};

bool WidthMatches(std::int32_t condition, double width, double wanted);

// Duration: the lines keep the pattern's levels for a time that meets the qualifier;
// "greater than" triggers once the pattern has held that long, the others where it ends.
std::optional<double> DurationTrigger(const Core& core, double from, double window) {
    const DigitalSource& d = core.digital;
    const PatternMasks masks(core.st.la.durationBit);
    const std::int32_t qualifier = core.st.la.durationQualifier;
    const double wanted = core.st.la.durationTime;
    if (!d.counter) {
        const bool forever = masks.Levels(d.pattern) && qualifier == 0;
        return forever ? std::optional<double>(from + wanted) : std::nullopt;
    }
    const double first = std::ceil(from * d.rate);
    const double last = first + std::min(window * d.rate, 2.0 * 65536.0);
    auto holds = [&](double count) {
        return masks.Levels(d.Value((count + kInsideStep) / d.rate));
    };
    for (double start = first; start <= last;) {
        while (start <= last && (holds(start - 1.0) || !holds(start)))
            start += 1.0;
        double end = start;
        while (end <= last && holds(end))
            end += 1.0;
        if (end > last) {
            return std::nullopt;
        }
        const double held = (end - start) / d.rate;
        if (qualifier == 0 && held > wanted) {
            return (start + kInsideStep) / d.rate + wanted;
        }
        if (qualifier != 0 && WidthMatches(qualifier, held, wanted)) {
            return (end + kInsideStep) / d.rate;
        }
        start = end;
    }
    return std::nullopt;
}

std::optional<double> PatternTrigger(const Core& core, const std::array<std::int32_t, 16>& bits,
                                     double from, double window) {
    const DigitalSource& d = core.digital;
    const PatternMasks masks(bits);
    if (!d.counter) {
        return masks.Holds(d.pattern, d.pattern) ? std::optional<double>(from) : std::nullopt;
    }
    const double first = std::ceil(from * d.rate);
    const double steps = std::min(window * d.rate, 65537.0); // one whole counter cycle at most
    for (double n = 0; n <= steps; n += 1.0) {
        const double count = first + n;
        const double t = (count + kInsideStep) / d.rate;
        if (masks.Holds(d.Value(t - 1.0 / d.rate), d.Value(t))) {
            return t;
        }
    }
    return std::nullopt;
}

std::optional<double> FindEdge(const Core& core, const EdgeCondition& edge, double from,
                               double window) {
    if (edge.source == 0 || edge.source == 1) {
        return AnalogEdge(core, edge, from, window);
    }
    if (edge.source == 5) { // the 50 Hz mains
        return std::ceil(from * 50.0) / 50.0;
    }
    if (edge.source >= 6 && edge.source <= 21) {
        return DigitalEdge(core, edge.source - 6, edge.slope, from, window);
    }
    return std::nullopt; // nothing is connected to the external inputs
}

double SearchWindow(const Core& core, int channel, double interval) {
    const double f = core.signals[channel].LowestFrequency();
    return std::max(interval, f > 0.0 ? std::min(2.0 / f, 0.25) : 0.0);
}

// "EQUAL" allows 5 % either way.
bool WidthMatches(std::int32_t condition, double width, double wanted) {
    switch (condition % 3) {
    case 0:
        return width > wanted;
    case 1:
        return width < wanted;
    default:
        return std::abs(width - wanted) <= 0.05 * wanted;
    }
}

// Two edges whose distance meets the condition; the trigger is the second edge.
std::optional<double> TimedTrigger(const Core& core, const EdgeCondition& first,
                                   const EdgeCondition& second, std::int32_t condition,
                                   double wanted, double from, double window) {
    constexpr int kMaxTries = 1000;
    double at = from;
    for (int tries = 0; tries < kMaxTries && at < from + window; ++tries) {
        const auto begins = FindEdge(core, first, at, from + window - at);
        const auto ends = begins ? FindEdge(core, second, *begins, window) : std::nullopt;
        if (!ends) {
            return std::nullopt;
        }
        if (WidthMatches(condition, *ends - *begins, wanted)) {
            return ends;
        }
        at = *ends;
    }
    return std::nullopt;
}

// Pulse: a pulse high for the "+" conditions, low for "-", ended by its second edge.
std::optional<double> PulseTrigger(const Core& core, double from, double window) {
    const TriggerState& t = core.st.dso.trig;
    const bool positive = t.pulseMode < 3;
    const double level = t.pulseLevel * ChannelProbe(core.st.dso, t.pulseSource);
    const EdgeCondition begins{t.pulseSource, level, positive ? 0 : 1};
    const EdgeCondition ends{t.pulseSource, level, positive ? 1 : 0};
    return TimedTrigger(core, begins, ends, t.pulseMode, t.pulseWidth, from, window);
}

// Slope: the time to pass from one level to the other, rising for "+", falling for "-".
std::optional<double> SlopeTrigger(const Core& core, double from, double window) {
    const TriggerState& t = core.st.dso.trig;
    const bool rising = t.slopeMode < 3;
    const double probe = ChannelProbe(core.st.dso, t.slopeSource);
    const double low = std::min(t.slopeLevelA, t.slopeLevelB) * probe;
    const double high = std::max(t.slopeLevelA, t.slopeLevelB) * probe;
    const EdgeCondition begins{t.slopeSource, rising ? low : high, rising ? 0 : 1};
    const EdgeCondition ends{t.slopeSource, rising ? high : low, rising ? 0 : 1};
    return TimedTrigger(core, begins, ends, t.slopeMode, t.slopeTime, from, window);
}

std::optional<double> FindTrigger(const Core& core, double from, double interval) {
    const DsoState& dso = core.st.dso;
    if (dso.trig.mode == 5) {
        return PatternTrigger(core, core.st.la.patternBit, from, std::max(interval, 0.01));
    }
    if (dso.trig.mode == 6) {
        return DurationTrigger(core, from, std::max(interval, 0.01));
    }
    const EdgeCondition edge = MainEdge(dso);
    const double window = SearchWindow(core, edge.source == 1 ? 1 : 0, interval);
    if (dso.trig.mode == 1) {
        return PulseTrigger(core, from, window);
    }
    if (dso.trig.mode == 2) {
        return SlopeTrigger(core, from, window);
    }
    return FindEdge(core, edge, from, window);
}

bool Scanning(const DsoState& dso) {
    return dso.timeFormat == 2 || dso.slowSweep;
}

double FrameInterval(const InstrumentState& st) {
    if (Scanning(st.dso)) {
        return kScanUpdate;
    }
    double scale = st.dso.timeScale;
    if (st.dso.trig.mode == 4) {
        scale = std::max(st.alt[0].timeScale, st.alt[1].timeScale);
    }
    return std::max(kFrameSamples * scale / 100.0, kMinFrameTime);
}

std::optional<Acquired> AcquireAlternate(Core& core, double from, double interval) {
    Acquired frame;
    frame.time = from;
    bool both = true;
    for (int c = 0; c < 2; ++c) {
        const auto t =
            FindEdge(core, AlternateEdge(core.st, c), from, SearchWindow(core, c, interval));
        frame.channelTime[c] = t.value_or(from);
        both = both && t.has_value();
    }
    if (!both && core.st.dso.trig.sweep != 0) {
        return std::nullopt;
    }
    frame.status = both ? kStatusTriggered : kStatusAuto;
    return frame;
}

std::optional<Acquired> AcquireOne(Core& core, double slotStart, double interval) {
    if (Scanning(core.st.dso)) {
        Acquired frame;
        frame.time = slotStart + interval;
        frame.status = kStatusScan;
        return frame;
    }
    const double from = std::max(slotStart, core.lastTrigger + core.st.dso.trig.holdoff);
    if (core.st.dso.trig.mode == 4) {
        return AcquireAlternate(core, from, interval);
    }
    const auto trigger = FindTrigger(core, from, interval);
    if (trigger) {
        core.lastTrigger = *trigger;
        Acquired frame;
        frame.time = *trigger;
        frame.status = kStatusTriggered;
        return frame;
    }
    if (core.st.dso.trig.sweep != 0) {
        return std::nullopt; // NORMAL and SINGLE wait for a trigger
    }
    Acquired frame;
    frame.time = slotStart;
    frame.status = kStatusAuto;
    return frame;
}

// ---- sample times of a frame

struct Timing {
    double t0;
    double dt;
};

Timing MainTiming(const Core& core, const Acquired& frame, int channel) {
    const DsoState& dso = core.st.dso;
    const double scale = dso.timeScale;
    if (dso.timeFormat == 2) {
        const double dt = scale / 100.0;
        return {frame.time - (kFrameSamples - 1) * dt, dt};
    }
    if (dso.slowSweep) {
        const double span = 14.0 * scale;
        const double sweep = std::floor((frame.time - core.runStart) / span);
        return {core.runStart + sweep * span, span / kFrameSamples};
    }
    if (dso.trig.mode == 4 && channel < 2) {
        const AltChannelState& alt = core.st.alt[channel];
        const double dt = alt.timeScale / 100.0;
        return {frame.channelTime[channel] + alt.timeOffset - kCentre * dt, dt};
    }
    const double dt = scale / 100.0;
    return {frame.time + dso.timeOffset - kCentre * dt, dt};
}

Timing DelayedTiming(const Core& core, const Acquired& frame) {
    const DsoState& dso = core.st.dso;
    const double dt = dso.delayedScale / 100.0;
    return {frame.time + dso.delayedOffset - kCentre * dt, dt};
}

// Slow sweep: samples not yet taken in this sweep still show the previous one.
void ScanCodes(Core& core, const Acquired& frame, int channel, const Timing& timing,
               std::uint8_t* out) {
    const int fresh =
        std::clamp(static_cast<int>((frame.time - timing.t0) / timing.dt) + 1, 0, kFrameSamples);
    const double span = timing.dt * kFrameSamples;
    AnalogCodes(core, core.st.dso, channel, timing.t0, timing.dt, fresh, out);
    AnalogCodes(core, core.st.dso, channel, timing.t0 + fresh * timing.dt - span, timing.dt,
                kFrameSamples - fresh, out + fresh);
}

void RenderSource(Core& core, const Acquired& frame, int source, bool second, std::uint8_t* out) {
    const Timing timing = second ? DelayedTiming(core, frame) : MainTiming(core, frame, source);
    if (source == 2) {
        DigitalCodes(core, timing.t0, timing.dt, kFrameSamples, out);
    } else if (core.st.dso.slowSweep && core.st.dso.timeFormat == 0 && !second) {
        ScanCodes(core, frame, source, timing, out);
    } else {
        ChannelCodes(core, core.st.dso, source, timing.t0, timing.dt, kFrameSamples, out);
    }
}

std::size_t SourceBytes(int source) {
    return source == 2 ? 2 * kFrameSamples : kFrameSamples;
}

bool DelayedLayout(const Core& core) {
    return core.st.dso.delayed && core.st.dso.trig.mode != 4 && !Scanning(core.st.dso);
}

std::uint8_t WaitingStatus(const Core& core) {
    return core.st.dso.trig.sweep == 0 ? kStatusAuto : kStatusWait;
}

void PutU16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    PutU16(at, value & 0xFFFF);
    PutU16(at + 2, value >> 16);
}

// ---- full record

struct RecordTiming {
    double centre; // time of the record's middle point
    double rate;
    int points;
};

double StopReference(const Core& core) {
    return core.st.dso.run ? core.clock->Now() : core.stopTime;
}

const DsoState& RecordSettings(const Core& core) {
    return core.st.dso.run ? core.st.dso : core.recordSetup;
}

RecordTiming RecordTimingOf(const Core& core) {
    const DsoState& dso = RecordSettings(core);
    RecordTiming timing{0.0, dso.sampleRate, dso.acqMemory};
    const double end = StopReference(core);
    if (dso.timeFormat == 2) {
        const int valid = RollPoints(core);
        timing.centre = end - (valid - 1) / timing.rate + (timing.points / 2) / timing.rate;
    } else if (dso.slowSweep) {
        const double span = 14.0 * dso.timeScale;
        const double sweepStart = core.runStart + std::floor((end - core.runStart) / span) * span;
        timing.centre = sweepStart + span / 2.0;
    } else {
        const double trigger = core.last ? core.last->time : end;
        timing.centre = trigger + dso.timeOffset;
    }
    return timing;
}

bool HalfRateLogic(const DsoState& dso, unsigned mask) {
    const int analog = ((mask & 1u) ? 1 : 0) + ((mask & 2u) ? 1 : 0);
    return dso.sampleRate >= 3e8 || (analog == 1 && (mask & 4u) && dso.timeScalePs <= 50'000);
}

std::size_t LogicPieceBytes(const DsoState& dso, unsigned mask) {
    const int analog = ((mask & 1u) ? 1 : 0) + ((mask & 2u) ? 1 : 0);
    const bool narrow = analog == 1 && dso.timeScalePs <= 50'000;
    return static_cast<std::size_t>(dso.acqMemory) * (narrow ? 1 : 2);
}

} // namespace

double NoiseSource::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return SharedTables().gauss[state_ % kNoiseSize];
}

std::size_t FrameStride(unsigned mask, bool delayed) {
    std::size_t stride = 0;
    for (int source = 0; source < 3; ++source) {
        if (mask & (1u << source)) stride += SourceBytes(source);
    }
    return delayed ? 2 * stride : stride;
}

std::vector<Acquired> Collect(Core& core, int limit) {
    std::vector<Acquired> frames;
    if (!core.st.dso.run) {
        return frames;
    }
    const double interval = FrameInterval(core.st);
    const double now = core.clock->Now();
    long slots = static_cast<long>(std::floor((now - core.scheduled) / interval));
    if (slots <= 0) {
        return frames;
    }
    if (slots > limit) {
        core.scheduled += (slots - limit) * interval;
        slots = limit;
    }
    for (long k = 0; k < slots && core.st.dso.run; ++k) {
        const auto frame = AcquireOne(core, core.scheduled + k * interval, interval);
        if (!frame) {
            continue;
        }
        frames.push_back(*frame);
        core.last = *frame;
        if (core.singlePending && frame->status == kStatusTriggered) {
            StopRun(core);
            core.stopTime = frame->time;
        }
    }
    core.scheduled += slots * interval;
    return frames;
}

void RenderFrame(Core& core, const Acquired& frame, unsigned mask, std::uint8_t* out) {
    const bool delayed = DelayedLayout(core);
    for (int source = 0; source < 3; ++source) {
        if (!(mask & (1u << source))) continue;
        RenderSource(core, frame, source, false, out);
        out += SourceBytes(source);
        if (delayed) {
            RenderSource(core, frame, source, true, out);
            out += SourceBytes(source);
        }
    }
}

std::uint16_t ScanPositionSource(const Core& core, const Acquired& frame) {
    const DsoState& dso = core.st.dso;
    const double columnTime = dso.timeScale / 50.0;
    if (dso.timeFormat == 2) {
        const double filled = std::min(700.0, (frame.time - core.runStart) / columnTime);
        return static_cast<std::uint16_t>(std::lround((700.0 - filled) / 2.0));
    }
    if (dso.slowSweep) {
        const double span = 700.0 * columnTime;
        const double into = std::fmod(frame.time - core.runStart, span);
        return static_cast<std::uint16_t>(
            std::clamp(std::lround(into / columnTime / 2.0), 0L, 350L));
    }
    return 350; // the whole width
}

std::size_t BuildUsbLiveBlock(Core& core, unsigned mask, std::vector<std::uint8_t>& out) {
    const bool delayed = DelayedLayout(core);
    const std::size_t stride = FrameStride(mask & 7u, delayed);
    out.assign(kUsbBlockHeader, 0);
    const auto frames = Collect(core, kRingFrames);
    const int fitting = stride == 0
                            ? 0
                            : static_cast<int>(std::min<std::size_t>(
                                  kRingFrames, (kReceiveBufferBytes - kUsbBlockHeader) / stride));
    const int count = std::min(static_cast<int>(frames.size()), fitting);
    out[762] = core.plotDots ? 1 : 0;
    out[763] = core.singlePending ? 1 : 0;
    if (count == 0) {
        return out.size();
    }
    int start = core.ringWrite;
    if (fitting < kRingFrames && start + count > fitting) {
        start = 0; // a ring that does not fit the receive buffer never wraps inside a block
    }
    const bool wraps = start + count > kRingFrames;
    const int lastSlot = wraps ? kRingFrames - 1 : start + count - 1;
    out.resize(kUsbBlockHeader + (lastSlot + 1) * stride, 0);
    const std::size_t first = frames.size() - count;
    for (int k = 0; k < count; ++k) {
        const int slot = (start + k) % kRingFrames;
        RenderFrame(core, frames[first + k], mask, out.data() + kUsbBlockHeader + slot * stride);
        out[512 + k] = frames[first + k].status;
    }
    core.ringWrite = (start + count) % kRingFrames;
    PutU16(&out[2], ScanPositionSource(core, frames.back()));
    PutU16(&out[4], static_cast<std::uint32_t>(count));
    PutU16(&out[6], static_cast<std::uint32_t>(core.ringWrite));
    return out.size();
}

void BuildLanLiveReply(Core& core, std::vector<std::uint8_t>& out) {
    const unsigned mask = ShownSources(core);
    const std::size_t stride = FrameStride(mask, DelayedLayout(core));
    const auto frames = Collect(core, 1); // only the newest acquisition is sent
    const bool frame = !frames.empty() && stride > 0;
    out.assign(kLanLiveHeader + (frame ? stride : 0), 0);
    PutU32(&out[0], static_cast<std::uint32_t>(out.size()));
    PutU32(&out[4], mask);
    PutU32(&out[8], static_cast<std::uint32_t>(frame ? stride : 0));
    out[14] = frame ? frames.back().status : WaitingStatus(core);
    out[15] = core.singlePending ? 1 : 0;
    out[19] = core.plotDots ? 1 : 0;
    if (frame) {
        PutU16(&out[12], ScanPositionSource(core, frames.back()));
        RenderFrame(core, frames.back(), mask, out.data() + kLanLiveHeader);
    } else {
        PutU16(&out[12], 350);
    }
}

int RollPoints(const Core& core) {
    const DsoState& dso = RecordSettings(core);
    const double end = StopReference(core);
    const double rate = dso.sampleRate;
    if (dso.timeFormat == 2) {
        return static_cast<int>(
            std::clamp(std::floor((end - core.runStart) * rate), 0.0, double(dso.acqMemory)));
    }
    if (dso.slowSweep) {
        const double span = 14.0 * dso.timeScale;
        const double sweepStart = core.runStart + std::floor((end - core.runStart) / span) * span;
        const double firstTime = sweepStart + span / 2.0 - (dso.acqMemory / 2) / rate;
        const double taken =
            std::clamp(std::floor((end - firstTime) * rate) + 1.0, 0.0, double(dso.acqMemory));
        return dso.acqMemory - static_cast<int>(taken);
    }
    return 0;
}

std::size_t FullRecordSize(const Core& core, unsigned mask) {
    const DsoState& dso = RecordSettings(core);
    std::size_t size = 0;
    size += (mask & 1u) ? dso.acqMemory : 0;
    size += (mask & 2u) ? dso.acqMemory : 0;
    size += (mask & 4u) ? LogicPieceBytes(dso, mask) : 0;
    return size;
}

void RenderFullRecord(Core& core, unsigned mask, std::uint8_t* out) {
    const DsoState& dso = RecordSettings(core);
    const RecordTiming timing = RecordTimingOf(core);
    const double dt = 1.0 / timing.rate;
    const double t0 = timing.centre - (timing.points / 2) * dt;
    std::uint64_t seed = 0;
    std::memcpy(&seed, &timing.centre, sizeof seed);
    core.noise.Seed(seed);
    for (int channel = 0; channel < 2; ++channel) {
        if (mask & (1u << channel)) {
            ChannelCodes(core, dso, channel, t0, dt, timing.points, out);
            out += timing.points;
        }
    }
    if (mask & 4u) {
        const bool half = HalfRateLogic(dso, mask);
        const double ldt = half ? 2.0 * dt : dt;
        const int samples = static_cast<int>(LogicPieceBytes(dso, mask) / 2);
        const int used = half ? timing.points / 2 : timing.points;
        DigitalCodes(core, timing.centre - (used / 2) * ldt, ldt, samples, out);
    }
}

} // namespace oxbow::sim::detail
