// Whole-setup operations: power-up and default setup, auto set-up, run and stop.
#include "sim_core.h"

#include <algorithm>
#include <cmath>

namespace oxbow::sim::detail {

namespace {

constexpr double kMinInputScale = 0.002; // V/div at the input
constexpr double kMaxInputScale = 10.0;

void DefaultChannel(ChannelState& c, float offset) {
    c = ChannelState{};
    c.display = true;
    c.scale = 1.0f;
    c.offset = offset;
    c.scaleRec = c.scale;
    c.offsetRec = c.offset;
}

void DefaultAlternate(AltChannelState& alt) {
    alt = AltChannelState{};
    alt.timeScale = 2e-4;
    alt.timeScalePs = ToPicoseconds(alt.timeScale);
    alt.timeScaleRec = alt.timeScale;
    alt.timeScalePsRec = alt.timeScalePs;
}

// Peak values the channel sees after its coupling.
void ChannelExtremes(const Core& core, int c, double& low, double& high) {
    core.signals[c].Extremes(low, high);
    if (core.st.dso.chan[c].coupling == 1) {
        const double mean = core.signals[c].Mean();
        low -= mean;
        high -= mean;
    }
}

double ChooseTimeScale(double frequency, double minimum) {
    const double ideal = 2.5 / (14.0 * frequency);
    double best = Floor125(ideal);
    for (const double candidate : {Floor125(ideal), Ceil125(ideal)}) {
        const double periods = 14.0 * candidate * frequency;
        const double bestPeriods = 14.0 * best * frequency;
        const bool better =
            std::abs(std::log(periods / 2.5)) < std::abs(std::log(bestPeriods / 2.5));
        if (periods >= 1.5 && (better || bestPeriods < 1.5)) {
            best = candidate;
        }
    }
    return std::clamp(best, minimum, 50.0);
}

double OffsetLimit(const ChannelState& c) {
    const double inputScale = c.scale / c.probe;
    return (inputScale > 0.2 ? 40.0 : 2.0) * c.probe;
}

double InputScaleFor(double peakToPeak) {
    return std::clamp(Ceil125(peakToPeak / 7.0), kMinInputScale, kMaxInputScale);
}

} // namespace

void PowerUpSetup(Core& core) {
    InstrumentState& st = core.st;
    const LanState lan = st.dso.lan;
    st = InstrumentState{};
    st.dso.lan = lan;
    DefaultChannel(st.dso.chan[0], 1.5f);
    DefaultChannel(st.dso.chan[1], -2.0f);
    SetTime(2e-4, st.dso.timeScale, st.dso.timeScalePs);
    SetTime(0.0, st.dso.timeOffset, st.dso.timeOffsetPs);
    SetTime(5e-5, st.dso.delayedScale, st.dso.delayedScalePs);
    SetTime(0.0, st.dso.delayedOffset, st.dso.delayedOffsetPs);
    st.dso.timeScaleRec = static_cast<float>(st.dso.timeScale);
    st.dso.timeScalePsRec = st.dso.timeScalePs;
    st.dso.trig = TriggerState{};
    st.la.channel.fill(true);
    st.la.patternBit.fill(2);
    st.la.durationBit.fill(2);
    DefaultAlternate(st.alt[0]);
    DefaultAlternate(st.alt[1]);
    UpdateAcquisition(core);
    st.dso.acqMemoryRec = st.dso.acqMemory;
    StartRun(core);
    core.recordSetup = st.dso;
}

void AutoSetup(Core& core) {
    DsoState& dso = core.st.dso;
    int source = -1;
    double sourceMiddle = 0.0;
    for (int c = 0; c < 2; ++c) {
        double low = 0.0;
        double high = 0.0;
        ChannelExtremes(core, c, low, high);
        ChannelState& chan = dso.chan[c];
        if (high - low < 1e-3 && core.signals[c].noise == 0.0) {
            continue;
        }
        const double span = std::max(high - low, 6.0 * core.signals[c].noise);
        chan.display = true;
        chan.scale = static_cast<float>(InputScaleFor(span / chan.probe) * chan.probe);
        const double limit = OffsetLimit(chan);
        chan.offset = static_cast<float>(std::clamp(-(high + low) / 2.0, -limit, limit));
        if (source < 0 && core.signals[c].LowestFrequency() > 0.0) {
            source = c;
            sourceMiddle = (high + low) / 2.0;
        }
    }
    if (source >= 0) {
        TriggerState& trig = dso.trig;
        trig.mode = 0;
        trig.sweep = 0;
        trig.coupling = 0;
        trig.edgeSource = source;
        trig.edgeSlope = 0;
        trig.edgeLevel = static_cast<float>(sourceMiddle / dso.chan[source].probe);
        const double scale =
            ChooseTimeScale(core.signals[source].LowestFrequency(), core.model.minTimeScale);
        SetTime(scale, dso.timeScale, dso.timeScalePs);
    }
    SetTime(0.0, dso.timeOffset, dso.timeOffsetPs);
    dso.timeFormat = 0;
    dso.delayed = false;
    UpdateAcquisition(core);
    StartRun(core);
}

void StartRun(Core& core) {
    core.st.dso.run = true;
    core.st.dso.runState = 0;
    const double now = core.clock->Now();
    core.scheduled = now;
    core.runStart = now;
    core.singlePending = core.st.dso.trig.sweep == 2;
}

void StopRun(Core& core) {
    if (core.st.dso.run) {
        core.stopTime = core.clock->Now();
        core.recordSetup = core.st.dso;
    }
    core.st.dso.run = false;
    core.st.dso.runState = 1;
    core.singlePending = false;
}

} // namespace oxbow::sim::detail
