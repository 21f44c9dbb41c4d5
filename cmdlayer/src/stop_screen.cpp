// Trace windows: which samples of a record are shown on which of the 700 screen
// columns, live, after stopping, after a setting change, for references and for
// the spectra.
#include "geometry_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace oxmsg {
namespace {

// The rule's products (record span in picoseconds, times 50) can pass 2^63 for
// lengths and rates a loaded file may carry; 128 bits keep every step exact.
using Wide = __int128;

constexpr int kColumns = 700;
constexpr int kLastColumn = kColumns - 1;
constexpr Wide kPsPerSecond = 1'000'000'000'000;
constexpr double kMaxSampleRate = 1e12;
constexpr int kColumnLimit = 7000;
constexpr int kLiveFrame = 2048;
constexpr int kLiveFirst = 324; // the middle 1400 samples of a live frame
constexpr int kLiveLast = 1723;
constexpr int kRollFirst = 648; // roll frame start at scan position 0
constexpr int kSlowSweepFullFrom = 695;
constexpr int kSlowSweepSecondFrom = 698;
constexpr int kSpectrumBins = 1024;
constexpr int64_t kLaHalfRateFrom = 300'000'000; // samples/s
constexpr double kLaHalfDelayedScale = 50e-9;    // s/div
constexpr double kLiveSamplesPerDivision = 100;

int Limited(Wide columns) {
    return static_cast<int>(std::clamp<Wide>(columns, -kColumnLimit, kColumnLimit));
}

void SetEmpty(OX_TRACE_WINDOW& w) {
    SetTraceWindow(w, 0, 0, 0, -1, 0, -1);
}

bool Placeable(const RecordSpan& span) {
    return span.sampleRate >= 1 && span.sampleRate <= kMaxSampleRate && span.scalePs > 0 &&
           span.points > 0;
}

// The left and right ends found by the rule, before the sample indexes are
// checked against the record.
struct Ends {
    Wide firstSample = 0;
    Wide lastSample = 0;
    int firstColumn = 0;
    int lastColumn = 0;
    int firstDrawn = 0;
    int lastDrawn = 0;
};

struct Span {
    Wide p; // picoseconds per sample
    Wide T; // record span
    Wide R; // roll span
    Wide S; // screen span
    Wide s; // scale per division
    Wide d; // display offset minus record offset
    Wide n;
    Wide rollPoints;
};

// The left end when the screen's left edge lies at time a inside the record.
void LeftInside(const Span& k, Wide a, Ends& e) {
    e.firstSample = a / k.p;
    e.firstDrawn = 0;
    e.firstColumn = 0;
    if (a % k.p != 0) {
        e.firstSample += 1;
        e.firstColumn = Limited((k.p - a % k.p) * 50 / k.s);
    }
}

// The left end when the record starts on the screen (a before it, within S).
void LeftOnScreen(const Span& k, Wide a, Ends& e) {
    e.firstSample = 0;
    e.firstColumn = e.firstDrawn = static_cast<int>(1 - a * 50 / k.s);
}

// The right end when column 699 (time b) lies inside the record.
void RightInside(const Span& k, Wide b, Ends& e) {
    e.lastSample = b / k.p;
    e.lastColumn = kLastColumn - Limited((b % k.p) * 50 / k.s);
    e.lastDrawn = kLastColumn;
}

// The record's end at time `end` lies on the screen: its last sample is `last`.
void RightOnScreen(const Span& k, Wide b, Wide end, Wide last, Ends& e) {
    e.lastSample = last;
    e.lastColumn = e.lastDrawn = static_cast<int>(kLastColumn - (b - end) * 50 / k.s);
}

// The screen lies wholly right of the record: nothing is drawn, and the last
// drawn column stays inside the 700-pair buffer.
void RightPast(const Span& k, Ends& e) {
    e.lastSample = k.n - 1;
    e.lastColumn = kColumns;
    e.lastDrawn = kLastColumn;
}

Ends YTimeEnds(const Span& k) {
    Ends e;
    const Wide end = k.T - k.R;
    const Wide a = (k.T >> 1) - (k.S >> 1) + k.d;
    if (a >= -k.S && a < 0) {
        LeftOnScreen(k, a, e);
    } else if (a >= 0 && a <= end) {
        LeftInside(k, a, e);
    } else if (a > end) {
        e.firstSample = k.n - 1;
        e.firstColumn = e.firstDrawn = kColumns;
    }
    const Wide b = k.s * 349 / 50 + (k.T >> 1) + k.d;
    if (b >= 0 && b < end)
        RightInside(k, b, e);
    else if (b >= end && b <= end + k.S)
        RightOnScreen(k, b, end, k.n - k.rollPoints - 1, e);
    else if (b < 0)
        e.lastDrawn = -1;
    else
        RightPast(k, e);
    return e;
}

Ends RollingEnds(const Span& k) {
    Ends e;
    const Wide a = k.d - k.S + k.R;
    if (a >= 0 && a <= k.R)
        LeftInside(k, a, e);
    else if (a > -k.S && a < 0)
        LeftOnScreen(k, a, e);
    const Wide b = k.d + k.R;
    if (b >= 0 && b < k.R) {
        RightInside(k, b, e);
    } else if (b >= k.R && b < k.S + k.R) {
        RightOnScreen(k, b, k.R, k.rollPoints - 1, e);
    } else if (b >= k.S + k.R) {
        RightPast(k, e);
    } else {
        e.lastSample = k.n - 1;
        e.lastColumn = e.lastDrawn = e.firstColumn - 1;
    }
    return e;
}

int SampleIndex(Wide index, Wide n) {
    return static_cast<int>(std::clamp<Wide>(index, 0, n - 1));
}

OX_TRACE_WINDOW& Window(_OX_POS_SETUP& positions, int index) {
    return positions.stWindow[index];
}

// The live frame, shown two samples per column from sample 324.
void SetLiveMiddle(OX_TRACE_WINDOW& w) {
    SetTraceWindow(w, kLiveFirst, kLiveLast, 0, kLastColumn, 0, kLastColumn);
}

void RunRolling(_OX_POS_SETUP& positions) {
    OX_TRACE_WINDOW& main = Window(positions, OX_WIN_MAIN);
    const int scan = std::clamp(main.nScanPos, 0, kLastColumn);
    SetTraceWindow(main, 2 * scan + kRollFirst, kLiveFrame - 1, scan, kLastColumn, scan,
                   kLastColumn);
}

void RunSlowSweep(const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
    OX_TRACE_WINDOW& main = Window(positions, OX_WIN_MAIN);
    const int scan = std::clamp(main.nScanPos, 0, kLastColumn);
    const int lastDrawn = main.nLastDrawn < kSlowSweepFullFrom ? scan : kLastColumn;
    SetTraceWindow(main, 0, kLiveFrame - 1, 0, kLastColumn, 0, lastDrawn);
    if (setup.bDelayed) {
        OX_TRACE_WINDOW& second = Window(positions, OX_WIN_SECOND);
        SetLiveMiddle(second);
        second.nFirstDrawn = lastDrawn >= kSlowSweepSecondFrom ? 0 : kColumns;
    }
}

// The logic analyzer's records follow the analog ones in roll and slow sweep.
void CopyAnalogToLa(_OX_POS_SETUP& positions) {
    positions.stWindow[OX_WIN_LA_MAIN] = positions.stWindow[OX_WIN_MAIN];
    positions.stWindow[OX_WIN_LA_SECOND] = positions.stWindow[OX_WIN_SECOND];
}

bool IsSpectrum(int index) {
    return index >= OX_WIN_SPECTRUM && index < OX_WIN_SPECTRUM + 4;
}

int64_t SecondsToPs(double seconds) {
    const double ps = std::round(seconds * 1e12);
    if (!std::isfinite(ps)) return 0;
    return static_cast<int64_t>(std::clamp(ps, -9e18, 9e18));
}

// The analyzer samples at half rate and half length at 300 MSa/s and faster.
RecordSpan HalvedForLa(RecordSpan span, bool halve) {
    if (halve) {
        span.sampleRate /= 2;
        span.points /= 2;
    }
    return span;
}

// The stopped or changed-setting rule on every window the screen shows: the
// per-channel records in alternate-trigger mode, otherwise the main record, its
// delayed window and the analyzer's two records.
struct ScreenRecords {
    RecordSpan main;
    RecordSpan delayed;
    RecordSpan alternate[2];
};

void PlaceScreen(const _OX_SETUP& setup, _OX_POS_SETUP& positions, const ScreenRecords& records) {
    if (setup.nTrigMode == oxcmd::code::kAlternate) {
        PlaceRecord(records.alternate[0], Window(positions, OX_WIN_MAIN));
        PlaceRecord(records.alternate[1], Window(positions, OX_WIN_SECOND));
        return;
    }
    PlaceRecord(records.main, Window(positions, OX_WIN_MAIN));
    if (setup.bLaShownStop)
        PlaceRecord(HalvedForLa(records.main, records.main.sampleRate >= kLaHalfRateFrom),
                    Window(positions, OX_WIN_LA_MAIN));
    if (!setup.bDelayed) return;
    PlaceRecord(records.delayed, Window(positions, OX_WIN_SECOND));
    if (setup.bLaShownStop)
        PlaceRecord(HalvedForLa(records.delayed, setup.dTimeScale <= kLaHalfDelayedScale),
                    Window(positions, OX_WIN_LA_SECOND));
}

RecordSpan DelayedOf(const _OX_SETUP& setup, RecordSpan main) {
    main.offsetPs = setup.llDelayedOffsetPs;
    main.scalePs = setup.llDelayedScalePs;
    main.rolling = false;
    return main;
}

// 100 samples per division of a recorded scale, in samples per second.
double LiveRate(int64_t recordedScalePs) {
    return recordedScalePs > 0 ? 1e14 / static_cast<double>(recordedScalePs) : 0;
}

int ChannelOf(int32_t source) {
    return source == 1 ? 1 : 0;
}

double SpectrumTimeScale(const _OX_SETUP& setup, int trace) {
    if (setup.nTrigMode == oxcmd::code::kAlternate)
        return setup.dAltTimeScale[ChannelOf(setup.nFFTSource[trace])];
    return setup.dTimeScale;
}

void PlaceReference(const _OX_SETUP& setup, int slot, OX_TRACE_WINDOW& window) {
    const int32_t length = setup.nRefLength[slot];
    if (setup.nRefKind[slot] == 3) {
        // A spectrum reference keeps the columns it was captured on.
        if (length > 0)
            SetTraceWindow(window, 0, length - 1, 0, kLastColumn, 0, kLastColumn);
        else
            SetEmpty(window);
        return;
    }
    const RecordSpan span{SecondsToPs(setup.dRefTimeOffset[slot]),
                          0,
                          SecondsToPs(setup.dRefTimeScale[slot]),
                          setup.fRefSampleRate[slot],
                          length,
                          0,
                          false};
    PlaceRecord(span, window);
}

// The 1024 bins span 0 Hz to the Nyquist frequency, 10 base divisions of
// 100 / (20 T) Hz each, T the time scale of the FFT's source; column x shows
// offset + x / 50 divisions.
void PlaceSpectrum(const _OX_SETUP& setup, int trace, OX_TRACE_WINDOW& window) {
    const double timeScale = SpectrumTimeScale(setup, trace);
    const double perDivision = setup.dFFTHorizScale[trace];
    const double offset = setup.dFFTHorizOffset[trace];
    const double binHz = timeScale > 0 ? 10 * (100 / (20 * timeScale)) / kSpectrumBins : 0;
    if (!(binHz > 0) || !(perDivision > 0) || !std::isfinite(binHz) ||
        !std::isfinite(perDivision) || !std::isfinite(offset)) {
        SetEmpty(window);
        return;
    }
    const double firstBin = std::max(0.0, std::ceil(offset / binHz));
    const double lastBin = std::min(kSpectrumBins - 1.0,
                                    std::floor((offset + kLastColumn * perDivision / 50) / binHz));
    if (lastBin < firstBin) {
        SetEmpty(window);
        return;
    }
    auto column = [&](double bin) {
        return static_cast<int>(std::round((bin * binHz - offset) * 50 / perDivision));
    };
    const int firstColumn = column(firstBin);
    const int lastColumn = std::clamp(column(lastBin), firstColumn, kLastColumn);
    SetTraceWindow(window, static_cast<int>(firstBin), static_cast<int>(lastBin), firstColumn,
                   lastColumn, firstColumn, lastColumn);
}

} // namespace

void PlaceRecord(const RecordSpan& span, OX_TRACE_WINDOW& window) {
    if (!Placeable(span)) {
        SetEmpty(window);
        return;
    }
    Span k;
    k.n = span.points;
    k.rollPoints = std::clamp<Wide>(span.rollPoints, 0, k.n);
    k.p = kPsPerSecond / static_cast<Wide>(std::trunc(span.sampleRate));
    k.T = k.n * k.p;
    k.R = k.rollPoints * k.p;
    k.s = span.scalePs;
    k.S = 14 * k.s;
    k.d = static_cast<Wide>(span.offsetPs) - span.recordOffsetPs;
    const Ends e = span.rolling ? RollingEnds(k) : YTimeEnds(k);
    SetTraceWindow(window, SampleIndex(e.firstSample, k.n), SampleIndex(e.lastSample, k.n),
                   e.firstColumn, e.lastColumn, e.firstDrawn, e.lastDrawn);
}

} // namespace oxmsg

using namespace oxmsg;

void GetRunScreenPara() {
    WithPositions([&](const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
        if (setup.nTimeFormat == oxcmd::code::kXY) {
            SetTraceWindow(Window(positions, OX_WIN_MAIN), 0, kLiveFrame - 1, 0, kLastColumn, 0,
                           kLastColumn);
        } else if (setup.nTimeFormat == oxcmd::code::kRolling) {
            RunRolling(positions);
            CopyAnalogToLa(positions);
        } else if (setup.bSlowSweep) {
            RunSlowSweep(setup, positions);
            CopyAnalogToLa(positions);
        } else {
            for (int i = 0; i < 16; ++i) {
                if (!IsSpectrum(i)) SetLiveMiddle(Window(positions, i));
            }
        }
    });
}

namespace {

// The main offset moved by the instrument's reply in 20 ps steps, held at the int64 limits
// for a setup block whose offset already sits there.
int64_t ShiftedByReply(int64_t offsetPs, short value) {
    const Wide shifted = Wide{offsetPs} + Wide{value} * 20;
    return static_cast<int64_t>(std::clamp<Wide>(shifted, INT64_MIN, INT64_MAX));
}

} // namespace

void GetStopScreenPara(short value) {
    WithPositions([&](const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
        ScreenRecords records;
        records.main = {ShiftedByReply(setup.llTimeOffsetPs, value),
                        setup.llTimeOffsetPsRec,
                        setup.llTimeScalePs,
                        setup.fSampleRateRec,
                        setup.nAcqMemoryRec,
                        Window(positions, OX_WIN_MAIN).nRollPoints,
                        setup.nTimeFormat == oxcmd::code::kRolling};
        records.delayed = DelayedOf(setup, records.main);
        for (int c = 0; c < 2; ++c) {
            records.alternate[c] = {setup.llAltTimeOffsetPs[c],
                                    setup.llAltTimeOffsetPsRec[c],
                                    setup.llAltTimeScalePs[c],
                                    setup.fAltSampleRateRec[c],
                                    setup.nAltMemoryRec[c],
                                    0,
                                    false};
        }
        PlaceScreen(setup, positions, records);
    });
}

void GetChangeSettingScreenPara() {
    WithPositions([&](const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
        ScreenRecords records;
        const bool slow = setup.bSlowSweep != 0;
        records.main = {setup.llTimeOffsetPs,
                        setup.llTimeOffsetPsRec,
                        setup.llTimeScalePs,
                        slow ? setup.fSampleRateRec : LiveRate(setup.llTimeScalePsRec),
                        slow ? setup.nAcqMemoryRec : kLiveFrame,
                        Window(positions, OX_WIN_MAIN).nRollPoints,
                        setup.nTimeFormat == oxcmd::code::kRolling};
        records.delayed = DelayedOf(setup, records.main);
        records.delayed.points = kLiveFrame;
        records.delayed.sampleRate = LiveRate(setup.llTimeScalePsRec);
        for (int c = 0; c < 2; ++c) {
            records.alternate[c] = {setup.llAltTimeOffsetPs[c],
                                    setup.llAltTimeOffsetPsRec[c],
                                    setup.llAltTimeScalePs[c],
                                    LiveRate(setup.llAltTimeScalePsRec[c]),
                                    kLiveFrame,
                                    0,
                                    false};
        }
        PlaceScreen(setup, positions, records);
    });
}

void GetRefScreenPara(int slot) {
    if (slot < 0 || slot > 3) return;
    WithPositions([&](const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
        PlaceReference(setup, slot, Window(positions, OX_WIN_REF + slot));
    });
}

void GetFFTHorizZoomScale(int trace) {
    if (trace < 0 || trace > 3) return;
    WithPositions([&](const _OX_SETUP& setup, _OX_POS_SETUP& positions) {
        PlaceSpectrum(setup, trace, Window(positions, OX_WIN_SPECTRUM + trace));
    });
}
