// The pipeline's math slots (A+B, A-B, AxB, FFT, filter), the logic analyzer and the
// reference traces.
#include "numerix.h"
#include "oxgdi.h"
#include "pipeline_state.h"

#include <algorithm>
#include <cmath>

namespace oxdisplay {

namespace {

using State = DisplayEngine::State;

enum MathOperator : int { kAdd = 0, kSubtract = 1, kMultiply = 2, kFft = 3, kFilter = 4 };

int Source(std::int32_t selector) {
    return selector == 1 ? 1 : 0;
}

// The raw buffers a region's math reads: the second buffers only for the live delayed window.
std::span<const std::uint8_t> SourceBuffer(const State& s, int ch, int region, bool stopped) {
    const bool second = region == 1 && !stopped && s.layout() == Layout::Delayed;
    return second ? s.channels.analogSecond[ch] : s.channels.analog[ch];
}

float AcquiredScale(const _OX_SETUP& setup, int ch, bool stopped) {
    return stopped ? setup.fChanScaleRec[ch] : setup.fChanScale[ch];
}

float AcquiredOffset(const _OX_SETUP& setup, int ch, bool stopped) {
    return stopped ? setup.fChanOffsetRec[ch] : setup.fChanOffset[ch];
}

// Time-domain math shares the sample numbering of its sources, so it uses their window.
int TimeWindow(int region) {
    return region == 0 ? OX_WIN_MAIN : OX_WIN_SECOND;
}

// The row of the screen centre for a trace drawn at `offset` on `scale`, in a plot a high.
int CentreRow(float offset, float scale, int a) {
    return (250 - static_cast<int>(std::trunc(offset * 50.0f / scale))) * a / 200;
}

bool Usable(float scale) {
    return std::isfinite(scale) && scale > 0.0f;
}

void ResampleRows(TraceBuffers& t, const OX_TRACE_WINDOW& w) {
    WaveZoom(t.rows.data(), t.pairs.data(), w.nFirstSample, w.nLastSample,
             static_cast<std::int16_t>(w.nFirstColumn), static_cast<std::int16_t>(w.nLastColumn),
             kColumns);
}

void Combine(State& s, int k, int region, int points, bool stopped, TraceBuffers& t) {
    const _OX_SETUP& setup = s.setup();
    const int a = Source(setup.nMathSourceA[k]);
    const int b = Source(setup.nMathSourceB[k]);
    const auto rawA = SourceBuffer(s, a, region, stopped);
    const auto rawB = SourceBuffer(s, b, region, stopped);
    const int n =
        std::min({points, static_cast<int>(rawA.size()), static_cast<int>(rawB.size()),
                  static_cast<int>(t.rows.size()) - 1, static_cast<int>(s.mathRaw.size())});
    if (n < 1) {
        return;
    }
    const float scale = setup.fMathScale[k];
    const float offset = setup.fMathOffset[k];
    const auto combine = setup.nMathOperator[k] == kAdd        ? Math_A_Add_B
                         : setup.nMathOperator[k] == kSubtract ? Math_A_Sub_B
                                                               : Math_A_Mul_B;
    combine(rawA, rawB, s.mathRaw, n, false, AcquiredScale(setup, a, stopped),
            AcquiredOffset(setup, a, stopped), AcquiredScale(setup, b, stopped),
            AcquiredOffset(setup, b, stopped), scale, offset);
    WaveZoomV(s.mathRaw.data(), t.rows.data(), 0, s.geometry(region).height, n, scale, offset,
              scale, offset);
    t.rows[n] = t.rows[n - 1];
    t.samples = n;
    t.window = TimeWindow(region);
    t.live = !stopped;
    const OX_TRACE_WINDOW& w = s.window(t.window);
    if (ShowsRecord(w, n)) {
        ResampleRows(t, w);
        t.drawable = true;
    }
}

void Spectrum(State& s, int k, int region, bool stopped, TraceBuffers& t) {
    const _OX_SETUP& setup = s.setup();
    const int src = Source(setup.nFFTSource[k]);
    const auto raw = SourceBuffer(s, src, region, stopped);
    if (raw.size() < static_cast<std::size_t>(kLivePoints)) {
        return;
    }
    const bool dB = setup.nFFTUnit[k] == oxcmd::code::kdBVrms;
    const float srcScale = AcquiredScale(setup, src, stopped);
    const float scale = dB ? setup.fFFTdBVrmsScale[k] : setup.fMathScale[k];
    const float offset = dB ? setup.fFFTdBVrmsOffset[k] : setup.fFFTVrmsOffset[k];
    if (!Usable(scale) || !Usable(srcScale) ||
        Math_FFT(raw.first(kLivePoints), s.fftBins, kLivePoints,
                 AcquiredOffset(setup, src, stopped), srcScale, setup.nFFTWindow[k],
                 dB) != kFftBins) {
        return;
    }
    const int a = s.geometry(region).height;
    const float u = dB ? 10.0f : srcScale;
    const float perValue = u / scale * (static_cast<float>(a) * 0.005f);
    const int centre = CentreRow(offset, scale, a);
    const int highest = std::min(225 * a / 200 + 1, kTraceRows - 1);
    const int lowest = 24 * a / 200 - 1;
    for (int i = 0; i < kFftBins; ++i) {
        const float row = static_cast<float>(centre) - static_cast<float>(s.fftBins[i]) * perValue;
        t.rows[i] = static_cast<std::int16_t>(
            std::clamp(row, static_cast<float>(lowest), static_cast<float>(highest)));
    }
    t.rows[kFftBins] = t.rows[kFftBins - 1];
    t.samples = kFftBins;
    s.commands.GetFFTHorizZoomScale(k);
    t.window = OX_WIN_SPECTRUM + k;
    t.live = true; // drawn from its pairs
    const OX_TRACE_WINDOW& w = s.window(t.window);
    if (ShowsRecord(w, kFftBins)) {
        ResampleRows(t, w);
        t.drawable = true;
    }
}

// Designs the slot's filter again only when its settings changed.
bool DesignFilter(State& s, int k, float rate) {
    const _OX_SETUP& setup = s.setup();
    State::FilterDesign& d = s.filterDesign[k];
    const int type = setup.nMathFilterType[k];
    const float lower = setup.fMathFilterLower[k];
    const float upper = setup.fMathFilterUpper[k];
    if (d.type == type && d.lower == lower && d.upper == upper && d.rate == rate) {
        return true;
    }
    d = {type, lower, upper, rate};
    const float l = lower / rate;
    const float u = upper / rate;
    const int slot = kMathFilterSlotBase + k;
    switch (type) {
    case numerix::kLowPass:
        return Math_Filter_Init(type, 0.0f, u, slot) > 0;
    case numerix::kHighPass:
        return Math_Filter_Init(type, l, 1.0f, slot) > 0;
    case numerix::kBandPass:
        return Math_Filter_Init(type, l, u, slot) > 0;
    case numerix::kBandStop:
        return Math_Filter_Init(type, u, l, slot) > 0;
    default:
        d.type = -1;
        return false;
    }
}

// Pairs of rows first..last fitted onto `columns` columns of their own, written at `to`.
void ResampleMargin(std::span<const std::int32_t> rows, std::int32_t* to, int first, int last,
                    int columns) {
    if (columns > 0 && last >= first) {
        WaveZoom(rows.data(), to, first, last, 0, static_cast<std::int16_t>(columns - 1), columns);
    }
}

void Filter(State& s, int k, int region, int points, bool stopped, TraceBuffers& t) {
    const _OX_SETUP& setup = s.setup();
    const int src = Source(setup.nMathSourceA[k]);
    const auto raw = SourceBuffer(s, src, region, stopped);
    const int n =
        std::min({points, static_cast<int>(raw.size()), static_cast<int>(s.filterRows.size()) - 1});
    const float rate = stopped ? setup.fSampleRateRec : setup.fSampleRate;
    const float scale = setup.fMathScale[k];
    const OX_TRACE_WINDOW& w = s.window(TimeWindow(region));
    if (n < 2 || !Usable(scale) || !Usable(rate) || !ShowsRecord(w, n) ||
        !DesignFilter(s, k, rate)) {
        return;
    }
    const int a = s.geometry(region).height;
    FilterZoomV(raw.data(), s.filterRows.data(), setup.bMathInvert[k] ? 1 : 0, a, n, scale,
                setup.fMathOffset[k], AcquiredScale(setup, src, stopped),
                AcquiredOffset(setup, src, stopped));
    s.filterRows[n] = s.filterRows[n - 1];

    // Widen the window so the filter has the trace on both sides of what is shown.
    const int samples = w.nLastSample - w.nFirstSample + 1;
    const int columns = w.nLastColumn - w.nFirstColumn + 1;
    const int m = std::max(100, 50 * samples / columns) / 2;
    int left = w.nFirstSample < m ? 0 : m;
    int right = w.nFirstSample < m ? 2 * m : m;
    if (w.nLastSample == n - 1) {
        left = right = 0;
    }
    right = std::min(right, n - 1 - w.nLastSample);
    const auto marginColumns = [&](int margin) {
        return margin == 0 ? 0
                           : std::clamp((margin * columns + samples - 1) / samples, 1, kColumns);
    };
    const int cL = marginColumns(left);
    const int cR = marginColumns(right);
    std::int32_t* in = s.filterInput.data();
    ResampleMargin(s.filterRows, in, w.nFirstSample - left, w.nFirstSample - 1, cL);
    WaveZoom(s.filterRows.data(), in + 2 * cL, w.nFirstSample, w.nLastSample,
             static_cast<std::int16_t>(w.nFirstColumn), static_cast<std::int16_t>(w.nLastColumn),
             kColumns);
    ResampleMargin(s.filterRows, in + 2 * cL + kPairValues, w.nLastSample + 1,
                   w.nLastSample + right, cR);
    const int filled = 2 * (cL + cR) + kPairValues;
    const int count = 2 * cL + kPairValues;
    const int needed = count + numerix::kFilterTaps - 1;
    std::fill(in + filled, in + std::max(filled, needed), in[filled - 1]);
    const auto input =
        std::span<const std::int32_t>(s.filterInput).first(static_cast<std::size_t>(needed));
    const auto output =
        std::span(s.filterOutput).first(static_cast<std::size_t>(count + numerix::kFilterHalf));
    if (Math_Filter(input, output, count, CentreRow(setup.fMathOffset[k], scale, a), 0, kTraceRows,
                    kMathFilterSlotBase + k) != count) {
        return;
    }
    std::copy_n(output.begin() + 2 * cL, kPairValues, t.pairs.begin());
    t.window = TimeWindow(region);
    t.live = true; // drawn from its pairs
    t.drawable = true;
}

} // namespace

void ProcessMath(State& s, int slot, int region, int points, bool stopped) {
    TraceBuffers& t = s.math[slot][region];
    t.region = region;
    t.drawable = false;
    switch (s.setup().nMathOperator[slot]) {
    case kAdd:
    case kSubtract:
    case kMultiply:
        Combine(s, slot, region, points, stopped, t);
        break;
    case kFft:
        Spectrum(s, slot, region, stopped, t);
        break;
    case kFilter:
        Filter(s, slot, region, points, stopped, t);
        break;
    default:
        break;
    }
    const int frame = s.counters.nPersistFrame;
    if (t.drawable && !stopped && frame >= 0 && frame < kHistoryFrames) {
        std::copy(t.pairs.begin(), t.pairs.end(), t.history.begin() + frame * kHistoryStride);
    }
}

void ProcessLa(State& s, int region, std::span<const std::uint16_t> raw, int windowIndex,
               int points) {
    LaBuffers& l = s.la[region];
    l.window = windowIndex;
    l.region = region;
    l.drawable = false;
    const OX_TRACE_WINDOW& w = s.window(windowIndex);
    const int n = std::min(points, static_cast<int>(raw.size()));
    if (w.nFirstSample < 0 || w.nLastSample < w.nFirstSample || w.nLastSample >= n ||
        w.nFirstColumn < 0 || w.nLastColumn < w.nFirstColumn || w.nLastColumn >= kColumns) {
        return;
    }
    const int samples = w.nLastSample - w.nFirstSample + 1;
    const int slots = 2 * (w.nLastColumn - w.nFirstColumn + 1);
    const auto from = raw.subspan(static_cast<std::size_t>(w.nFirstSample),
                                  static_cast<std::size_t>(n - w.nFirstSample));
    const auto to = std::span(l.pairs).subspan(2 * static_cast<std::size_t>(w.nFirstColumn));
    int result = 0;
    if (samples == slots) {
        std::copy_n(from.begin(), samples, to.begin());
    } else if (samples < slots) {
        result = devZoomInLaData(from, to, samples, slots, static_cast<int>(to.size()));
    } else {
        result = LaWaveZoomOut(from, to, samples, slots);
    }
    l.drawable = result == 0;
}

void ProcessReferences(State& s) {
    const _OX_SETUP& setup = s.setup();
    const int a = s.geometry(0).height;
    for (int r = 0; r < kRefSlots; ++r) {
        TraceBuffers& t = s.ref[r];
        t.drawable = false;
        const auto samples = s.references.samples[r];
        const int n = std::min({setup.nRefLength[r], static_cast<int>(samples.size()),
                                static_cast<int>(t.rows.size()) - 1});
        const float scale = setup.fRefScale[r];
        if (!setup.bRefDisplay[r] || !setup.bRefValid[r] || n < 2 || !Usable(scale)) {
            continue;
        }
        WaveZoomV(samples.data(), t.rows.data(), 0, a, n, scale, setup.fRefOffset[r], scale,
                  setup.fRefOffset[r]);
        t.rows[n] = t.rows[n - 1];
        const OX_TRACE_WINDOW& w = s.window(t.window);
        if (ShowsRecord(w, n)) {
            ResampleRows(t, w);
            t.drawable = true;
        }
    }
}

} // namespace oxdisplay
