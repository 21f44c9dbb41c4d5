// Marker points of the region record: ground markers, digital lines, trigger
// level and position, and the delayed window, per visible window.
#include "geometry_internal.h"

#include "oxcommon.h"

#include <algorithm>
#include <cmath>

namespace oxmsg {
namespace {

constexpr double kHorizontalDivisions = 14;
constexpr double kVerticalDivisions = 8;
constexpr double kHorizontalLimit = 2'147'483'646;
constexpr int kLeftMargin = 16;
constexpr int kOriginY = 13;
constexpr int kLaMarkerX = 15;
constexpr float kLaLineSpacing = 0.45f;

CRect ToCommon(const OX_RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

OX_RECT FromCommon(const CRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

CPoint ToCommon(const OX_POINT& p) {
    return {p.x, p.y};
}

OX_POINT FromCommon(const CPoint& p) {
    return {p.x, p.y};
}

double Width(const OX_RECT& r) {
    return static_cast<double>(r.right) - r.left;
}

double Height(const OX_RECT& r) {
    return static_cast<double>(r.bottom) - r.top;
}

int RoundedPixels(double pixels, double limit) {
    if (std::isnan(pixels)) return 0;
    return static_cast<int>(std::clamp(std::round(pixels), -limit, limit));
}

// The ground marker of a trace with the given scale and offset.
OX_POINT Ground(float scale, float offset, const OX_RECT& rect) {
    return FromCommon(GetVoltOffsetPt(scale, offset, ToCommon(rect)));
}

struct ScaleOffset {
    float scale;
    float offset;
};

// The vertical scale and offset a math trace is drawn with.
ScaleOffset MathScaleOffset(const _OX_SETUP& s, int k) {
    if (s.nMathOperator[k] != oxcmd::code::kFFT) return {s.fMathScale[k], s.fMathOffset[k]};
    if (s.nFFTUnit[k] == oxcmd::code::kdBVrms) return {s.fFFTdBVrmsScale[k], s.fFFTdBVrmsOffset[k]};
    const int source = s.nFFTSource[k] == 1 ? 1 : 0;
    return {GetMathScale(s.nFFTVrmsScaleIndex[k], s.fChanScale[source]), s.fFFTVrmsOffset[k]};
}

void SetTraceMarkers(const _OX_SETUP& s, const OX_RECT& rect, OX_POINT (&points)[10]) {
    for (int c = 0; c < 2; ++c)
        points[c] = Ground(s.fChanScale[c], s.fChanOffset[c], rect);
    for (int k = 0; k < 4; ++k) {
        const ScaleOffset math = MathScaleOffset(s, k);
        points[2 + k] = Ground(math.scale, math.offset, rect);
    }
    for (int r = 0; r < 4; ++r)
        points[6 + r] = Ground(s.fRefScale[r], s.fRefOffset[r], rect);
}

void SetLaMarkers(const OX_RECT& rect, OX_POINT (&points)[16]) {
    for (int line = 0; line < 16; ++line)
        points[line] = GetLaOffsetPoint(LaLinePosition(line), rect);
}

struct Level {
    int source;
    float volts;
};

float AlternateLevel(const _OX_SETUP& s, int c) {
    switch (s.nAltType[c]) {
    case oxcmd::code::kPulse:
        return s.fAltPulseLevel[c];
    case oxcmd::code::kSlope:
        return s.fAltSlopeLevelA[c];
    case oxcmd::code::kVideo:
        return s.fAltVideoLevel[c];
    default:
        return s.fAltEdgeLevel[c];
    }
}

// The level marker's source and level in window `w` (the channel of the window
// in alternate-trigger mode).
Level TriggerLevel(const _OX_SETUP& s, int w) {
    switch (s.nTrigMode) {
    case oxcmd::code::kPulse:
        return {s.nPulseSource, s.fPulseLevel};
    case oxcmd::code::kSlope:
        return {s.nSlopeSource, s.fSlopeLevelA};
    case oxcmd::code::kVideo:
        return {s.nVideoSource, s.fVideoLevel};
    case oxcmd::code::kAlternate:
        return {w, AlternateLevel(s, w)};
    default:
        return {s.nEdgeSource, s.fEdgeLevel};
    }
}

// A level on a channel sits at its height; other sources mark the centre.
OX_POINT TriggerLevelPoint(const _OX_SETUP& s, int w, const OX_RECT& rect) {
    const Level level = TriggerLevel(s, w);
    if (level.source != 0 && level.source != 1) return Ground(1, 0, rect);
    const int c = level.source;
    return FromCommon(
        GetTrigLevelPt(s.fChanScale[c], level.volts, s.fChanOffset[c], ToCommon(rect)));
}

OX_POINT TriggerPositionPoint(const _OX_SETUP& s, int w, OX_POINT origin) {
    if (s.nTimeFormat == oxcmd::code::kXY)
        return FromCommon(GetXYTimeOffsetPt(s.dTimeScale, s.dTimeOffset, ToCommon(origin)));
    if (s.nTrigMode == oxcmd::code::kAlternate)
        return FromCommon(
            GetTrigOffsetPt(s.dAltTimeScale[w], s.dAltTimeOffset[w], ToCommon(origin)));
    if (w == 1)
        return FromCommon(GetTrigOffsetPt(s.dDelayedScale, s.dDelayedOffset, ToCommon(origin)));
    return FromCommon(GetTrigOffsetPt(s.dTimeScale, s.dTimeOffset, ToCommon(origin)));
}

// The delayed window drawn in the upper window (empty without one).
OX_RECT DelayedRect(const _OX_SETUP& s, const _OX_RGN_SETUP& region) {
    if (!s.bDelayed || s.nTimeFormat != oxcmd::code::kYT || s.nTrigMode == oxcmd::code::kAlternate)
        return {};
    const OX_POINT origin = WindowOrigin(s, region, region.rcUpper);
    return FromCommon(GetDelayedRect(s.dTimeScale, s.dDelayedScale, s.dTimeOffset, s.dDelayedOffset,
                                     ToCommon(region.rcUpper), ToCommon(origin)));
}

} // namespace

bool TwoWindows(const _OX_SETUP& s) {
    return s.nTrigMode == oxcmd::code::kAlternate ||
           (s.bDelayed && s.nTimeFormat == oxcmd::code::kYT);
}

TimeWindows VisibleWindows(const _OX_SETUP& s, const _OX_RGN_SETUP& region) {
    if (TwoWindows(s)) return {{region.rcUpper, region.rcLower}, 2};
    if (s.bFFTSplitScreen) return {{region.rcFFTTime, {}}, 1};
    return {{region.rcMain, {}}, 1};
}

OX_POINT WindowOrigin(const _OX_SETUP& s, const _OX_RGN_SETUP& region, const OX_RECT& rect) {
    const int64_t width = int64_t{rect.right} - rect.left;
    const int64_t x = kLeftMargin + (s.nTimeFormat == oxcmd::code::kRolling ? width : width / 2);
    return {ClampToInt(x), ClampToInt(kOriginY + int64_t{rect.top} - region.rcMain.top)};
}

OX_POINT TriggerOrigin(const _OX_SETUP& setup, const _OX_RGN_SETUP& region) {
    return WindowOrigin(setup, region, region.rcMain);
}

float LaLinePosition(int line) {
    return (static_cast<float>(line) - 7.5f) * kLaLineSpacing;
}

} // namespace oxmsg

using namespace oxmsg;

float GetCursorDiv(OX_POINT origin, OX_POINT point, OX_RECT rect, bool horizontal) {
    const double perDivision =
        horizontal ? Width(rect) / kHorizontalDivisions : Height(rect) / kVerticalDivisions;
    if (perDivision == 0) return 0;
    const double pixels = horizontal ? static_cast<double>(point.x) - origin.x
                                     : static_cast<double>(origin.y) - point.y;
    return static_cast<float>(pixels / perDivision);
}

OX_POINT GetCursorPt(OX_POINT origin, float divisions, OX_RECT rect, bool horizontal) {
    if (horizontal) {
        const double pixels = static_cast<double>(divisions) * Width(rect) / kHorizontalDivisions;
        return {RoundedPixels(origin.x + std::round(pixels), kHorizontalLimit), 0};
    }
    const double pixels = static_cast<double>(divisions) * Height(rect) / kVerticalDivisions;
    return {0, RoundedPixels(origin.y - std::round(pixels), kHorizontalLimit)};
}

OX_POINT GetLaOffsetPoint(float position, OX_RECT rect) {
    const double height = Height(rect);
    const double raised = std::trunc(height * position * 0.125);
    double y = rect.top + std::round(height / 2) - (std::isnan(raised) ? 0 : raised);
    y = std::clamp(y, static_cast<double>(rect.top),
                   static_cast<double>(std::max(rect.top, rect.bottom)));
    return {kLaMarkerX, static_cast<int>(y)};
}

void RebuildRgnSetup() {
    WithRegion([](const _OX_SETUP& s, _OX_RGN_SETUP& region) {
        region.ptTrigOrigin = TriggerOrigin(s, region);
        const TimeWindows windows = VisibleWindows(s, region);
        for (int w = 0; w < windows.count; ++w) {
            const OX_RECT& rect = windows.rect[w];
            SetTraceMarkers(s, rect, region.ptTrace[w]);
            SetLaMarkers(rect, region.ptLa[w]);
            region.ptTrigLevel[w] = TriggerLevelPoint(s, w, rect);
            region.ptTrigPos[w] = TriggerPositionPoint(s, w, WindowOrigin(s, region, rect));
        }
        region.rcDelayed = DelayedRect(s, region);
    });
}
