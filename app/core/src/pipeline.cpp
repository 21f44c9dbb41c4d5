// The trace pipeline: trace windows of a live frame, the channel step, the four paths and
// the measurement hand-over.
#include "pipeline_state.h"

#include <algorithm>
#include <cstring>

namespace oxdisplay {

namespace {

constexpr int kLiveFirst = 324; // the middle 1400 of the 2048 live samples
constexpr int kLiveLast = 1723;
constexpr int kRollBase = 648;
constexpr int kSlowSweepFullFrom = 695;
constexpr int kSlowSweepSecondFrom = 698;
constexpr int kNothingDrawn = kColumns; // a first drawn column no plot accepts
constexpr int kFilterTapsPadding = 64;  // values past the filter count the taps read

std::size_t LargestSpan(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::max(a.size(), b.size());
}

bool IsSpectrumWindow(int index) {
    return index >= OX_WIN_SPECTRUM && index < OX_WIN_SPECTRUM + kMathSlots;
}

// Vertical scale of a channel: acquisition values kept at stop for a stopped record.
struct ChannelScale {
    float display, displayOffset, acquired, acquiredOffset;
};

ChannelScale ScaleOf(const _OX_SETUP& setup, int ch, bool stopped) {
    return {setup.fChanScale[ch], setup.fChanOffset[ch],
            stopped ? setup.fChanScaleRec[ch] : setup.fChanScale[ch],
            stopped ? setup.fChanOffsetRec[ch] : setup.fChanOffset[ch]};
}

} // namespace

void TraceBuffers::Allocate(std::size_t capacity, bool accumulates) {
    rows = ZeroedBuffer<std::int16_t>(capacity + 1);
    pairs.assign(kPairValues, 0);
    if (accumulates) {
        history =
            ZeroedBuffer<std::int16_t>(static_cast<std::size_t>(kHistoryFrames) * kHistoryStride);
        grade = ZeroedBuffer<std::uint32_t>(tracekit::kGradeCells);
        gradeChanges = std::make_unique<tracekit::GradeChanges>();
    }
}

tracekit::TraceWindow ToTraceWindow(const OX_TRACE_WINDOW& w) {
    return {w.nFirstSample, w.nLastSample, w.nFirstColumn, w.nLastColumn,
            w.nFirstDrawn,  w.nLastDrawn,  w.nScanPos,     w.nRollPoints};
}

bool ShowsRecord(const OX_TRACE_WINDOW& w, int samples) {
    return w.nFirstSample >= 0 && w.nLastSample < samples && w.nLastSample - w.nFirstSample >= 1 &&
           w.nFirstColumn >= 0 && w.nFirstColumn <= w.nLastColumn && w.nLastColumn < kColumns;
}

DisplayEngine::State::State(DisplayRecords records, ChannelBuffers channelBuffers,
                            ReferenceBuffers referenceBuffers, FrameCounters& frameCounters,
                            DisplayCommands& displayCommands, MeasureSink& measureSink,
                            PresentTarget* presentTarget)
    : rec(records), channels(channelBuffers), references(referenceBuffers), counters(frameCounters),
      commands(displayCommands), measure(&measureSink), present(presentTarget) {
    const std::size_t mainCapacity = LargestSpan(channels.analog[0], channels.analog[1]);
    const std::size_t secondCapacity =
        std::max(LargestSpan(channels.analogSecond[0], channels.analogSecond[1]),
                 static_cast<std::size_t>(kLivePoints));
    // A stopped delayed sweep shows the full record in both regions.
    const std::size_t regionCapacity[kRegions] = {mainCapacity,
                                                  std::max(mainCapacity, secondCapacity)};
    for (int r = 0; r < kRegions; ++r) {
        for (auto& ch : channel) {
            ch[r].Allocate(regionCapacity[r], true);
        }
        for (auto& slot : math) {
            slot[r].Allocate(std::max<std::size_t>(regionCapacity[r], kFftBins), true);
        }
        la[r].pairs.assign(kPairValues, 0);
    }
    for (int k = 0; k < kRefSlots; ++k) {
        ref[k].Allocate(std::max<std::size_t>(references.samples[k].size(), kFftBins), false);
        ref[k].window = OX_WIN_REF + k;
    }
    mathRaw = ZeroedBuffer<std::uint8_t>(regionCapacity[1]);
    filterRows = ZeroedBuffer<std::int32_t>(regionCapacity[1] + 1);
    // Widened window: the 1400 values plus margins of at most 700 columns a side, plus taps.
    filterInput.assign(3 * kPairValues + kFilterTapsPadding, 0);
    filterOutput.assign(filterInput.size(), 0);
    fftBins.assign(kFftBins, 0);
    stopScratch.assign(tracekit::kStopScratchValues, 0);
}

Layout DisplayEngine::State::layout() const {
    if (setup().nTrigMode == oxcmd::code::kAlternate) {
        return Layout::Alternate;
    }
    if (commands.GetFFTSplitScreen()) {
        return Layout::FFTSplit;
    }
    return setup().bDelayed ? Layout::Delayed : Layout::Single;
}

namespace {

// A region rectangle the layout can use: 700 columns wide and inside the plot area.
bool UsableRegion(const OX_RECT& r) {
    return r.right - r.left == kColumns && r.left >= 0 && r.right <= kComposeWidth &&
           r.top >= kPlotTopInCompose && r.bottom <= kPlotTopInCompose + kPlotRows &&
           r.bottom - r.top >= 8;
}

RegionGeometry GeometryOf(const OX_RECT& given, CRect fallback) {
    const CRect rect =
        UsableRegion(given) ? CRect{given.left, given.top, given.right, given.bottom} : fallback;
    return {rect, rect.Height(), rect.Height() / 8, rect.top - kPlotTopInCompose};
}

constexpr CRect kMainRect{kPlotLeft, kPlotTopInCompose, kPlotLeft + kColumns,
                          kPlotTopInCompose + kPlotRows};
// Split layouts: two regions of 192 rows with the split line between them.
constexpr int kSplitHeight = 192;
constexpr CRect kUpperRect{kPlotLeft, kPlotTopInCompose, kPlotLeft + kColumns,
                           kPlotTopInCompose + kSplitHeight};
constexpr CRect kLowerRect{kPlotLeft, kPlotTopInCompose + kPlotRows - kSplitHeight,
                           kPlotLeft + kColumns, kPlotTopInCompose + kPlotRows};

} // namespace

RegionGeometry DisplayEngine::State::geometry(int regionIndex) const {
    const _OX_RGN_SETUP& r = region();
    switch (layout()) {
    case Layout::Single:
        return GeometryOf(r.rcMain, kMainRect);
    case Layout::FFTSplit:
        return regionIndex == 0 ? GeometryOf(r.rcFFTTime, kUpperRect)
                                : GeometryOf(r.rcFFTFreq, kLowerRect);
    case Layout::Delayed:
    case Layout::Alternate:
        break;
    }
    return regionIndex == 0 ? GeometryOf(r.rcUpper, kUpperRect) : GeometryOf(r.rcLower, kLowerRect);
}

bool DisplayEngine::State::channelShown(int ch, bool stopped) const {
    return setup().bChanDisplay[ch] != 0 && (!stopped || setup().bChanShownStop[ch] != 0);
}

bool DisplayEngine::State::mathShown(int slot, bool stopped) const {
    return setup().bTraceShown[slot] != 0 && (!stopped || setup().bTraceShownStop[slot] != 0);
}

bool DisplayEngine::State::laShown(bool stopped) const {
    return setup().bLaEnable != 0 && (!stopped || setup().bLaShownStop != 0);
}

void DisplayEngine::State::clearTraces() {
    for (auto* set : {&channel[0], &channel[1], &math[0], &math[1], &math[2], &math[3]}) {
        for (auto& t : *set) {
            t.drawable = false;
        }
    }
    for (auto& l : la) {
        l.drawable = false;
    }
}

// ---- Window reset ----

void DisplayEngine::ResetTraceWindows() {
    State& s = *state_;
    const _OX_SETUP& setup = s.setup();
    const int p = std::clamp(s.counters.nScanPos, 0, kColumns - 1);
    OX_TRACE_WINDOW& main = s.window(OX_WIN_MAIN);
    main.nScanPos = p;
    if (setup.nTimeFormat == oxcmd::code::kXY) {
        SetTraceWindow(main, 0, kLivePoints - 1, 0, kColumns - 1, 0, kColumns - 1);
        return;
    }
    if (setup.nTimeFormat == oxcmd::code::kRolling) {
        SetTraceWindow(main, 2 * p + kRollBase, kLivePoints - 1, p, kColumns - 1, p, kColumns - 1);
    } else if (!setup.bSlowSweep) {
        for (int i = 0; i < 16; ++i) {
            if (!IsSpectrumWindow(i)) {
                SetTraceWindow(s.window(i), kLiveFirst, kLiveLast, 0, kColumns - 1, 0,
                               kColumns - 1);
            }
        }
        return;
    } else {
        const int drawnEnd = p < kSlowSweepFullFrom ? p : kColumns - 1;
        SetTraceWindow(main, 0, kLivePoints - 1, 0, kColumns - 1, 0, drawnEnd);
        if (setup.bDelayed) {
            const int firstDrawn = drawnEnd >= kSlowSweepSecondFrom ? 0 : kNothingDrawn;
            SetTraceWindow(s.window(OX_WIN_SECOND), kLiveFirst, kLiveLast, 0, kColumns - 1,
                           firstDrawn, kColumns - 1);
        }
    }
    s.window(OX_WIN_LA_MAIN) = s.window(OX_WIN_MAIN);
    s.window(OX_WIN_LA_SECOND) = s.window(OX_WIN_SECOND);
}

// ---- Channel step ----

void ProcessChannel(DisplayEngine::State& s, int ch, int region, std::span<const std::uint8_t> raw,
                    int windowIndex, int points, bool stopped) {
    const _OX_SETUP& setup = s.setup();
    TraceBuffers& t = s.channel[ch][region];
    const OX_TRACE_WINDOW& w = s.window(windowIndex);
    const ChannelScale scale = ScaleOf(setup, ch, stopped);
    const int a = s.geometry(region).height;
    const int n =
        std::min({points, static_cast<int>(raw.size()), static_cast<int>(t.rows.size()) - 1});
    t.window = windowIndex;
    t.region = region;
    t.live = !stopped;
    t.drawable = false;
    t.samples = 0;
    if (n < 1) {
        return;
    }
    const bool straight =
        !stopped && setup.nTimeFormat != oxcmd::code::kRolling && !setup.bSlowSweep;
    if (straight) {
        // Only the window's samples are scaled: rows stay indexed by sample number.
        if (w.nFirstSample < 0 || w.nLastSample < w.nFirstSample || w.nLastSample >= n) {
            return;
        }
        const int count = w.nLastSample - w.nFirstSample + 1;
        WaveZoomV(raw.data() + w.nFirstSample, t.rows.data() + w.nFirstSample, 0, a, count,
                  scale.display, scale.displayOffset, scale.acquired, scale.acquiredOffset);
        t.samples = w.nLastSample + 1;
        if (setup.nTimeFormat == oxcmd::code::kXY) {
            t.drawable = true; // X-Y plots the rows themselves
            return;
        }
        if (count >= kPairValues) {
            std::copy_n(t.rows.begin() + w.nFirstSample, kPairValues, t.pairs.begin());
        } else {
            WaveZoom(t.rows.data(), t.pairs.data(), w.nFirstSample, w.nLastSample,
                     static_cast<std::int16_t>(w.nFirstColumn),
                     static_cast<std::int16_t>(w.nLastColumn), kColumns);
        }
    } else {
        // A deep window is scaled and compressed in one pass over the record.
        const bool fitted =
            ShowsRecord(w, n) &&
            tracekit::ScaleAndCompress(raw.data(), t.rows.data(), a, n, scale.display,
                                       scale.displayOffset, scale.acquired, scale.acquiredOffset,
                                       t.pairs.data(), w.nFirstSample, w.nLastSample,
                                       static_cast<std::int16_t>(w.nFirstColumn),
                                       static_cast<std::int16_t>(w.nLastColumn), kColumns);
        if (!fitted) {
            WaveZoomV(raw.data(), t.rows.data(), 0, a, n, scale.display, scale.displayOffset,
                      scale.acquired, scale.acquiredOffset);
        }
        t.rows[n] = t.rows[n - 1]; // the spare the right ramp of the resampling reads
        t.samples = n;
        if (!ShowsRecord(w, n)) {
            return;
        }
        if (!fitted) {
            WaveZoom(t.rows.data(), t.pairs.data(), w.nFirstSample, w.nLastSample,
                     static_cast<std::int16_t>(w.nFirstColumn),
                     static_cast<std::int16_t>(w.nLastColumn), kColumns);
        }
    }
    t.drawable = true;
    const int frame = s.counters.nPersistFrame;
    if (!stopped && frame >= 0 && frame < kHistoryFrames) {
        std::copy(t.pairs.begin(), t.pairs.end(), t.history.begin() + frame * kHistoryStride);
    }
}

// ---- Paths ----

namespace {

using State = DisplayEngine::State;

void ProcessChannels(State& s, int region, bool second, int windowIndex, int points, bool stopped) {
    for (int ch = 0; ch < 2; ++ch) {
        if (s.channelShown(ch, stopped)) {
            // A stopped record lies in the main buffers for every region.
            const auto raw =
                second && !stopped ? s.channels.analogSecond[ch] : s.channels.analog[ch];
            ProcessChannel(s, ch, region, raw, windowIndex, points, stopped);
        }
    }
}

bool MathOn(State& s) {
    return s.commands.GetMathEnabled() && s.commands.GetMathEnabledStop();
}

enum class MathKind { Any, Time, Spectrum };

void ProcessMathSlots(State& s, int region, int points, bool stopped, MathKind kind) {
    if (!MathOn(s)) {
        return;
    }
    for (int k = 0; k < kMathSlots; ++k) {
        const bool spectrum = s.setup().nMathOperator[k] == oxcmd::code::kFFT;
        const bool wanted = kind == MathKind::Any || (kind == MathKind::Spectrum) == spectrum;
        if (s.mathShown(k, stopped) && wanted) {
            ProcessMath(s, k, region, points, stopped);
        }
    }
}

void ProcessLaRegion(State& s, int region, bool second, bool stopped, int points) {
    if (s.laShown(stopped)) {
        ProcessLa(s, region, second && !stopped ? s.channels.laSecond : s.channels.la,
                  region == 0 ? OX_WIN_LA_MAIN : OX_WIN_LA_SECOND, points);
    }
}

} // namespace

void DisplayEngine::RunPipeline(int points, bool stopped) {
    switch (state_->layout()) {
    case Layout::Alternate:
        return RunAlternatePath(points, stopped);
    case Layout::FFTSplit:
        return RunFFTSplitPath(points, stopped);
    case Layout::Delayed:
        return RunDelayedPath(points, stopped);
    case Layout::Single:
        return RunNormalPath(points, stopped);
    }
}

void DisplayEngine::RunNormalPath(int points, bool stopped) {
    State& s = *state_;
    s.clearTraces();
    ProcessChannels(s, 0, false, OX_WIN_MAIN, points, stopped);
    ProcessMathSlots(s, 0, points, stopped, MathKind::Any);
    ProcessLaRegion(s, 0, false, stopped, points);
}

void DisplayEngine::RunDelayedPath(int points, bool stopped) {
    State& s = *state_;
    s.clearTraces();
    for (int region = 0; region < kRegions; ++region) {
        const bool second = region == 1;
        const int live = second && !stopped ? kLivePoints : points;
        ProcessChannels(s, region, second, second ? OX_WIN_SECOND : OX_WIN_MAIN, live, stopped);
        ProcessMathSlots(s, region, live, stopped, MathKind::Any);
        ProcessLaRegion(s, region, second, stopped, live);
    }
}

void DisplayEngine::RunAlternatePath(int points, bool stopped) {
    State& s = *state_;
    s.clearTraces();
    for (int ch = 0; ch < 2; ++ch) {
        const int recorded = s.setup().nAltMemoryRec[ch];
        const int n = stopped && recorded > 0 ? recorded : points;
        if (s.channelShown(ch, stopped)) {
            ProcessChannel(s, ch, ch, s.channels.analog[ch], ch == 0 ? OX_WIN_MAIN : OX_WIN_SECOND,
                           n, stopped);
        }
    }
}

void DisplayEngine::RunFFTSplitPath(int points, bool stopped) {
    State& s = *state_;
    s.clearTraces();
    ProcessChannels(s, 0, false, OX_WIN_MAIN, points, stopped);
    ProcessMathSlots(s, 0, points, stopped, MathKind::Time);
    ProcessMathSlots(s, 1, points, stopped, MathKind::Spectrum);
}

// ---- Measurement hand-over ----

namespace {

// The time per division of a region: the delayed scale in the delayed sweep's second
// region, the channel's own scale under the alternate trigger, else the main time base.
double RegionTimeScale(const _OX_SETUP& setup, Layout layout, int ch, int region) {
    if (layout == Layout::Alternate) {
        return setup.dAltTimeScale[ch];
    }
    return layout == Layout::Delayed && region == 1 ? setup.dDelayedScale : setup.dTimeScale;
}

// The columns a window's plot draws, within the columns it maps samples onto.
std::pair<int, int> DrawnColumns(const OX_TRACE_WINDOW& w) {
    return {std::max({w.nFirstDrawn, w.nFirstColumn, 0}),
            std::min({w.nLastDrawn, w.nLastColumn, kColumns - 1})};
}

MeasureTrace TraceOf(const State& s, const TraceBuffers& t, int ch, int region) {
    if (!t.drawable) {
        return {};
    }
    MeasureTrace m;
    m.height = s.geometry(region).height;
    m.secondsPerDiv = RegionTimeScale(s.setup(), s.layout(), ch, region);
    const OX_TRACE_WINDOW& w = s.window(t.window);
    if (s.setup().nTimeFormat == oxcmd::code::kXY) {
        // X-Y plots the rows themselves: every shown sample counts.
        const int first = std::max(w.nFirstSample, 0);
        const int last = std::min(w.nLastSample, t.samples - 1);
        if (last > first) {
            m.rows = t.rows.data() + first;
            m.count = last - first + 1;
        }
        return m;
    }
    const auto [first, last] = DrawnColumns(w);
    if (last > first) {
        m.rows = t.pairs.data() + 2 * first;
        m.count = 2 * (last - first + 1);
        m.firstColumn = first;
    }
    return m;
}

} // namespace

void DisplayEngine::HandOverMeasurement() {
    State& s = *state_;
    MeasureInput& in = s.measureInput;
    in = MeasureInput{};
    in.setup = &s.setup();
    in.region = &s.region();
    for (int ch = 0; ch < 2; ++ch) {
        for (int region = 0; region < kRegions; ++region) {
            const TraceBuffers& t = s.channel[ch][region];
            in.traces[ch][region] = TraceOf(s, t, ch, region);
            in.stopped = in.stopped || (t.drawable && !t.live);
        }
    }
    const LaBuffers& la = s.la[s.layout() == Layout::Delayed ? 1 : 0];
    if (la.drawable) {
        const auto [first, last] = DrawnColumns(s.window(la.window));
        in.laPairs = la.pairs;
        in.laFirstDrawn = first;
        in.laLastDrawn = last;
    }
    s.measure->HandOver(in);
}

void DisplayEngine::ClearPersistence() {
    State& s = *state_;
    for (auto* set :
         {&s.channel[0], &s.channel[1], &s.math[0], &s.math[1], &s.math[2], &s.math[3]}) {
        for (auto& t : *set) {
            std::fill(t.history.begin(), t.history.end(), 0);
            ClrGrade(t.grade.data());
            if (t.gradeChanges) {
                t.gradeChanges->Forget();
            }
        }
    }
}

} // namespace oxdisplay
