// Cursors: each cursor lives in the window its source is drawn in, stored in
// divisions from that window's origin and drawn at the matching point.
#include "geometry_internal.h"

#include <algorithm>
#include <cmath>

namespace oxmsg {
namespace {

struct CursorWindow {
    OX_RECT rect;
    OX_POINT origin;
};

OX_POINT Centre(const OX_RECT& r) {
    return {ClampToInt(r.left + (int64_t{r.right} - r.left) / 2),
            ClampToInt(r.top + (int64_t{r.bottom} - r.top) / 2)};
}

bool IsSpectrum(const _OX_SETUP& s, int source) {
    return source >= 2 && source <= 5 && s.nMathOperator[source - 2] == oxcmd::code::kFFT;
}

// The window a source is drawn in: a spectrum in the FFT window (positions from
// its left edge, where the shown band starts), a channel in its alternate-trigger
// window, everything else in the lower window of the delayed timebase, the time
// half of the split screen, or the main graticule.
CursorWindow WindowOfSource(const _OX_SETUP& s, const _OX_RGN_SETUP& region, int source) {
    if (IsSpectrum(s, source)) {
        const OX_RECT& rect = s.bFFTSplitScreen ? region.rcFFTFreq : region.rcMain;
        return {rect, {rect.left, Centre(rect).y}};
    }
    OX_RECT rect = region.rcMain;
    if (s.nTrigMode == oxcmd::code::kAlternate)
        rect = source == 1 ? region.rcLower : region.rcUpper;
    else if (TwoWindows(s))
        rect = region.rcLower;
    else if (s.bFFTSplitScreen)
        rect = region.rcFFTTime;
    return {rect, Centre(rect)};
}

struct Limits {
    float lowest;
    float highest;
};

// The divisions of the window's edges seen from its origin.
Limits LimitsOf(const CursorWindow& w, bool horizontal) {
    const OX_POINT low = horizontal ? OX_POINT{w.rect.left, 0} : OX_POINT{0, w.rect.bottom};
    const OX_POINT high = horizontal ? OX_POINT{w.rect.right, 0} : OX_POINT{0, w.rect.top};
    const float a = GetCursorDiv(w.origin, low, w.rect, horizontal);
    const float b = GetCursorDiv(w.origin, high, w.rect, horizontal);
    return {std::min(a, b), std::max(a, b)};
}

int XSource(const _OX_SETUP& s, int cursor) {
    switch (cursor) {
    case OX_CURSOR_TRACK_A:
        return s.nTrackSourceA;
    case OX_CURSOR_TRACK_B:
        return s.nTrackSourceB;
    default:
        return s.nCurXSource;
    }
}

// The value kept inside the limits; `report` names the message on a clamp.
float Kept(float value, Limits limits, bool report) {
    if (std::isnan(value) || value < limits.lowest) {
        if (report) SetSystemError("Cursor position at lower limit");
        return limits.lowest;
    }
    if (value > limits.highest) {
        if (report) SetSystemError("Cursor position at upper limit");
        return limits.highest;
    }
    return value;
}

float KeptX(const _OX_SETUP& s, const _OX_RGN_SETUP& region, float value, int cursor, bool report) {
    return Kept(value, LimitsOf(WindowOfSource(s, region, XSource(s, cursor)), true), report);
}

float KeptY(const _OX_SETUP& s, const _OX_RGN_SETUP& region, float value, bool report) {
    return Kept(value, LimitsOf(WindowOfSource(s, region, s.nCurYSource), false), report);
}

// A horizontal cursor point and its position in divisions, both ways.
void PointFromDivisions(const _OX_SETUP& s, const _OX_RGN_SETUP& region, int source,
                        float divisions, bool horizontal, OX_POINT& point) {
    const CursorWindow w = WindowOfSource(s, region, source);
    point = GetCursorPt(w.origin, divisions, w.rect, horizontal);
}

float DivisionsFromPoint(const _OX_SETUP& s, const _OX_RGN_SETUP& region, int source,
                         OX_POINT point, bool horizontal) {
    const CursorWindow w = WindowOfSource(s, region, source);
    return GetCursorDiv(w.origin, point, w.rect, horizontal);
}

} // namespace
} // namespace oxmsg

using namespace oxmsg;

float ValidateCursorX(float divisions, int cursor) {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr || shared.region == nullptr) return divisions;
    return KeptX(*shared.setup, *shared.region, divisions, cursor, true);
}

float ValidateCursorY(float divisions, int /*cursor: both level cursors share a source*/) {
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr || shared.region == nullptr) return divisions;
    return KeptY(*shared.setup, *shared.region, divisions, true);
}

void RebuildCursorPt() {
    WithRegion([](const _OX_SETUP& s, _OX_RGN_SETUP& r) {
        PointFromDivisions(s, r, s.nCurXSource, s.fCurXA, true, r.ptCurXA);
        PointFromDivisions(s, r, s.nCurXSource, s.fCurXB, true, r.ptCurXB);
        PointFromDivisions(s, r, s.nCurYSource, s.fCurYA, false, r.ptCurYA);
        PointFromDivisions(s, r, s.nCurYSource, s.fCurYB, false, r.ptCurYB);
        PointFromDivisions(s, r, s.nTrackSourceA, s.fTrackA, true, r.ptTrackA);
        PointFromDivisions(s, r, s.nTrackSourceB, s.fTrackB, true, r.ptTrackB);
    });
}

void RebuildCursorDiv() {
    WithRegion([](_OX_SETUP& s, const _OX_RGN_SETUP& r) {
        auto x = [&](int source, OX_POINT point, int cursor) {
            return KeptX(s, r, DivisionsFromPoint(s, r, source, point, true), cursor, false);
        };
        auto y = [&](OX_POINT point) {
            return KeptY(s, r, DivisionsFromPoint(s, r, s.nCurYSource, point, false), false);
        };
        s.fCurXA = x(s.nCurXSource, r.ptCurXA, OX_CURSOR_A);
        s.fCurXB = x(s.nCurXSource, r.ptCurXB, OX_CURSOR_B);
        s.fCurYA = y(r.ptCurYA);
        s.fCurYB = y(r.ptCurYB);
        s.fTrackA = x(s.nTrackSourceA, r.ptTrackA, OX_CURSOR_TRACK_A);
        s.fTrackB = x(s.nTrackSourceB, r.ptTrackB, OX_CURSOR_TRACK_B);
    });
}

double GetDelayedOffset(double delayedScale, double delayedOffset, OX_RECT rect, OX_POINT point) {
    const int centre = static_cast<int>((static_cast<int64_t>(rect.left) + rect.right) / 2);
    const double fromCentre = static_cast<double>(centre) - point.x;
    return ValidateTimeOffset(fromCentre * delayedScale * 0.02 + delayedOffset);
}

void RebuildRefPos() {
    RebuildRgnSetup();
    for (int slot = 0; slot < 4; ++slot)
        GetRefScreenPara(slot);
}
