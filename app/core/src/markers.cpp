// Marker geometry for the mouse: hit areas in the shape the renderer draws, the search
// order, and the conversion of a move in pixels into the setting it changes.
#include "oxmarkers.h"

#include "action_posts.h"
#include "oxcommon.h"
#include "oxmsg.h"
#include "oxtriglevel.h"

#include <algorithm>
#include <cstdlib>

namespace oxmouse {
namespace {

namespace group = oxcmd::group;
namespace code = oxcmd::code;
namespace cmd = oxcmd::cmd;
using oxact::Post;
using oxact::rows::PostOf;

constexpr int kMarkerCodeStride = 32; // codes: window × 32 + slot
constexpr int kLevelCode = kTraceSlots;
constexpr int kPositionCode = kTraceSlots + 1;
constexpr int kDelayedCode = kTraceSlots + 2;
constexpr int kFirstLaCode = 16;               // D0; D1..D15 follow
constexpr int kMarkerStripRight = 16;          // the ground markers' margin
constexpr int kGlyphEdge = 4;                  // a marker this close to an edge is drawn at it
constexpr int kArrowEdge = 5;                  // likewise the trigger-position arrow
constexpr int kLeftArrow[4] = {17, 5, 31, 13}; // left, top offset, right, bottom offset
constexpr int kRightArrow[4] = {702, 5, 716, 13};
constexpr double kVerticalDivisions = 8;

CRect ToCRect(const OX_RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

OX_RECT Grown(OX_RECT r, int by) {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

bool Inside(const OX_RECT& r, OX_POINT p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

int Height(const OX_RECT& r) {
    return r.bottom - r.top;
}

bool TwoWindows(const _OX_SETUP& s) {
    return s.nTrigMode == code::kAlternate || (s.bDelayed && s.nTimeFormat == code::kYT);
}

int WindowCount(const _OX_SETUP& s) {
    return TwoWindows(s) ? 2 : 1;
}

// The rectangle a window's markers are placed in.
const OX_RECT& WindowRect(const oxacq::RecordView& view, int window) {
    const _OX_RGN_SETUP& r = view.region;
    if (TwoWindows(view.setup)) return window == 0 ? r.rcUpper : r.rcLower;
    return view.setup.bFFTSplitScreen ? r.rcFFTTime : r.rcMain;
}

// Whether the trace of a slot has its ground marker drawn in the window.
bool TraceShown(const _OX_SETUP& s, int window, int slot) {
    if (s.nTimeFormat == code::kXY) return window == 0 && slot == 1 && s.bChanDisplay[1];
    const bool alternate = s.nTrigMode == code::kAlternate;
    if (slot < kMathSlot) return s.bChanDisplay[slot] && (!alternate || slot == window);
    if (alternate) return false;
    if (slot < kRefSlot) return s.bTraceShown[slot - kMathSlot] != 0;
    return s.bRefDisplay[slot - kRefSlot] != 0;
}

// Whether an analyzer line is drawn in the window (never beside X-Y or the alternate
// trigger, which the analyzer does not run with).
bool LaLineShown(const _OX_SETUP& s, int line) {
    return s.bLaEnable != 0 && line >= 0 && line < code::kDigitalLines && s.bLaChannel[line] != 0 &&
           s.nTimeFormat != code::kXY && s.nTrigMode != code::kAlternate;
}

// The rows of an analyzer line's wave (drawn upward from its point), across the margin.
OX_RECT LaLineRows(const _OX_SETUP& s, OX_POINT p) {
    const int height = s.bLaWaveSize != 0 ? 12 : 6;
    return {0, p.y - (height - 1), kMarkerStripRight, p.y};
}

// The glyph of a ground marker: beside its point, or at the edge it lies beyond.
OX_RECT GroundGlyph(const OX_RECT& rect, OX_POINT p) {
    if (p.y < rect.top + kGlyphEdge) return {6, rect.top, 14, rect.top + 14};
    if (p.y > rect.bottom - kGlyphEdge) return {6, rect.bottom - 14, 14, rect.bottom - 1};
    return {p.x - 14, p.y - 4, p.x, p.y + 4};
}

// The trigger-position arrow: pointing down at its point, or at either edge.
OX_RECT PositionArrow(const OX_RECT& rect, OX_POINT p) {
    const auto atEdge = [&rect](const int(&a)[4]) {
        return OX_RECT{a[0], rect.top + a[1], a[2], rect.top + a[3]};
    };
    if (p.x < rect.left + kArrowEdge) return atEdge(kLeftArrow);
    if (p.x > rect.right - kArrowEdge) return atEdge(kRightArrow);
    return {p.x - 4, p.y - 14, p.x + 4, p.y};
}

std::optional<OX_RECT> LevelLine(const oxacq::RecordView& view, int window) {
    const oxact::TrigLevelTarget target = oxact::TrigLevelOf(view.setup, window);
    const OX_RECT& rect = WindowRect(view, window);
    const int y = view.region.ptTrigLevel[window].y;
    if (target.channel < 0 || y < rect.top + 1 || y > rect.bottom - 1) return std::nullopt;
    return OX_RECT{0, y, rect.right, y}; // the line, from the margin across the graticule
}

std::optional<OX_RECT> DrawnArea(const oxacq::RecordView& view, Marker m) {
    const _OX_SETUP& s = view.setup;
    const _OX_RGN_SETUP& r = view.region;
    if (m.window < 0 || m.window >= WindowCount(s)) return std::nullopt;
    const OX_RECT& rect = WindowRect(view, m.window);
    switch (m.kind) {
    case MarkerKind::Trace:
        if (m.slot < 0 || m.slot >= kTraceSlots || !TraceShown(s, m.window, m.slot))
            return std::nullopt;
        return GroundGlyph(rect, r.ptTrace[m.window][m.slot]);
    case MarkerKind::TrigLevel:
        if (s.nTimeFormat == code::kXY) return std::nullopt;
        return LevelLine(view, m.window);
    case MarkerKind::TrigPos:
        if (s.nTimeFormat == code::kXY) return std::nullopt;
        return PositionArrow(rect, r.ptTrigPos[m.window]);
    case MarkerKind::Delayed:
        if (!s.bDelayed || s.nTrigMode == code::kAlternate || m.window != 0 ||
            r.rcDelayed.right <= r.rcDelayed.left)
            return std::nullopt;
        return r.rcDelayed;
    case MarkerKind::LaLine:
        if (!LaLineShown(s, m.slot)) return std::nullopt;
        return LaLineRows(s, r.ptLa[m.window][m.slot]);
    case MarkerKind::None:
        break;
    }
    return std::nullopt;
}

Marker TraceMarker(int window, int slot) {
    return {MarkerKind::Trace, window, slot};
}

Marker LaMarker(int window, int line) {
    return {MarkerKind::LaLine, window, line};
}

// The active trace's ground-marker slot (nActiveChannel 0, 1, or 5..8 for the math
// traces); -1 for the analyzer and for none.
int ActiveSlot(const _OX_SETUP& s) {
    const int active = s.nActiveChannel;
    if (active == 0 || active == 1) return active;
    if (active >= code::kFirstFurtherTrace && active < code::kFirstFurtherTrace + code::kMathTraces)
        return kMathSlot + active - code::kFirstFurtherTrace;
    return -1;
}

bool Hits(const oxacq::RecordView& view, Marker m, OX_POINT p) {
    const std::optional<OX_RECT> area = HitArea(view, m);
    return area && Inside(*area, p);
}

// The analyzer line under `p` in any window.
Marker LaMarkerAt(const oxacq::RecordView& view, OX_POINT p) {
    for (int w = 0; w < WindowCount(view.setup); ++w) {
        for (int line = 0; line < code::kDigitalLines; ++line) {
            if (Hits(view, LaMarker(w, line), p)) return LaMarker(w, line);
        }
    }
    return {};
}

// Volts per pixel and the command of a trace slot's offset.
struct TraceOffset {
    float scale;
    float offset;
    oxcmd::Command<float> command;
    long value;
};

TraceOffset MathOffset(const _OX_SETUP& s, int k) {
    if (s.nMathOperator[k] != code::kFFT)
        return {s.fMathScale[k], s.fMathOffset[k], cmd::math::kOffset, k};
    if (s.nFFTUnit[k] == code::kdBVrms)
        return {s.fFFTdBVrmsScale[k], s.fFFTdBVrmsOffset[k], cmd::math::kFFTdBVrmsOffset, k};
    const int source = s.nFFTSource[k] == 1 ? 1 : 0;
    return {GetMathScale(s.nFFTVrmsScaleIndex[k], s.fChanScale[source]), s.fFFTVrmsOffset[k],
            cmd::math::kFFTVrmsOffset, k};
}

TraceOffset OffsetOfSlot(const _OX_SETUP& s, int slot) {
    if (slot < kMathSlot)
        return {s.fChanScale[slot], s.fChanOffset[slot], cmd::channel::kOffset, slot};
    if (slot < kRefSlot) return MathOffset(s, slot - kMathSlot);
    const int r = slot - kRefSlot;
    return {s.fRefScale[r], s.fRefOffset[r], cmd::reference::kVertOffset, r};
}

// Volts for `dy` pixels (down positive) at `scale` per division in `rect`.
float VoltsMoved(float scale, const OX_RECT& rect, int dy) {
    return GetTrigLevel(scale, ToCRect(rect), {0, 0}, {0, dy});
}

// Seconds for `dx` pixels (right positive) at `scale` per division.
double SecondsMoved(double scale, int dx) {
    return GetTrigOffset(scale, {dx, 0}, {0, 0});
}

std::optional<Post> MoveTrace(const oxacq::RecordView& view, Marker m, int dy) {
    const TraceOffset t = OffsetOfSlot(view.setup, m.slot);
    const OX_RECT& rect = WindowRect(view, m.window);
    if (Height(rect) <= 0) return std::nullopt;
    return PostOf(t.command, t.offset + VoltsMoved(t.scale, rect, dy), t.value);
}

std::optional<Post> MoveLevel(const oxacq::RecordView& view, Marker m, int dy) {
    const oxact::TrigLevelTarget t = oxact::TrigLevelOf(view.setup, m.window);
    const OX_RECT& rect = WindowRect(view, m.window);
    if (t.channel < 0 || Height(rect) <= 0) return std::nullopt;
    const float scale = view.setup.fChanScale[t.channel];
    return PostOf(t.command, t.level + VoltsMoved(scale, rect, dy), t.value);
}

// The marker moves against the offset: a later trigger sits further left.
std::optional<Post> MovePosition(const _OX_SETUP& s, Marker m, int dx) {
    namespace tb = oxcmd::cmd::timebase;
    if (s.nTrigMode == code::kAlternate) {
        const int c = m.window;
        return PostOf(tb::kAltOffset, s.dAltTimeOffset[c] - SecondsMoved(s.dAltTimeScale[c], dx),
                      c);
    }
    if (m.window == 1)
        return PostOf(tb::kDelayedOffset, s.dDelayedOffset - SecondsMoved(s.dDelayedScale, dx));
    return PostOf(tb::kMainOffset, s.dTimeOffset - SecondsMoved(s.dTimeScale, dx));
}

// The delayed window follows the pointer at the main time base's scale. (The command
// layer's GetDelayedOffset validates against the live record, which this thread never
// reads; the delayed-offset command validates and keeps the window inside.)
std::optional<Post> MoveDelayed(const _OX_SETUP& s, int dx) {
    return PostOf(oxcmd::cmd::timebase::kDelayedOffset,
                  s.dDelayedOffset + SecondsMoved(s.dTimeScale, dx));
}

} // namespace

int MarkerCode(Marker m) {
    int slot = -1;
    switch (m.kind) {
    case MarkerKind::Trace:
        slot = m.slot;
        break;
    case MarkerKind::TrigLevel:
        slot = kLevelCode;
        break;
    case MarkerKind::TrigPos:
        slot = kPositionCode;
        break;
    case MarkerKind::Delayed:
        slot = kDelayedCode;
        break;
    case MarkerKind::LaLine:
        slot = kFirstLaCode + m.slot;
        break;
    case MarkerKind::None:
        return -1;
    }
    return m.window * kMarkerCodeStride + slot;
}

Marker MarkerFromCode(int code) {
    if (code < 0 || code >= 2 * kMarkerCodeStride) return {};
    const int window = code / kMarkerCodeStride;
    const int slot = code % kMarkerCodeStride;
    if (slot < kTraceSlots) return TraceMarker(window, slot);
    if (slot == kLevelCode) return {MarkerKind::TrigLevel, window, 0};
    if (slot == kPositionCode) return {MarkerKind::TrigPos, window, 0};
    if (slot == kDelayedCode) return {MarkerKind::Delayed, window, 0};
    if (slot >= kFirstLaCode) return LaMarker(window, slot - kFirstLaCode);
    return {};
}

std::optional<OX_RECT> HitArea(const oxacq::RecordView& view, Marker m) {
    const std::optional<OX_RECT> drawn = DrawnArea(view, m);
    if (!drawn) return std::nullopt;
    OX_RECT area = Grown(*drawn, m.kind == MarkerKind::TrigLevel ? kLevelHitRows : kHitSlack);
    if (m.kind == MarkerKind::Trace || m.kind == MarkerKind::LaLine) {
        // A ground or analyzer marker answers across the whole margin it is drawn in.
        area.left = std::min(area.left, 0);
        area.right = std::max(area.right, kMarkerStripRight);
    }
    return area;
}

Marker MarkerAt(const oxacq::RecordView& view, OX_POINT p) {
    const int windows = WindowCount(view.setup);
    const int active = ActiveSlot(view.setup);
    for (int w = 0; w < windows && active >= 0; ++w) {
        if (Hits(view, TraceMarker(w, active), p)) return TraceMarker(w, active);
    }
    if (view.setup.nActiveChannel == code::kActiveLogic) {
        if (const Marker la = LaMarkerAt(view, p); la.Found()) return la;
    }
    for (int w = 0; w < windows; ++w) {
        for (int slot = 0; slot < kTraceSlots; ++slot) {
            if (Hits(view, TraceMarker(w, slot), p)) return TraceMarker(w, slot);
        }
    }
    if (const Marker la = LaMarkerAt(view, p); la.Found()) return la;
    for (MarkerKind kind : {MarkerKind::TrigLevel, MarkerKind::TrigPos}) {
        for (int w = 0; w < windows; ++w) {
            if (Hits(view, {kind, w, 0}, p)) return {kind, w, 0};
        }
    }
    const Marker delayed{MarkerKind::Delayed, 0, 0};
    return Hits(view, delayed, p) ? delayed : Marker{};
}

const char* MoveRefusal(const _OX_SETUP& s, Marker m) {
    if (oxact::rows::PlayingBack(s)) return oxact::kNotAvailable;
    const bool timeMarker = m.kind == MarkerKind::TrigPos || m.kind == MarkerKind::Delayed;
    if ((timeMarker || m.kind == MarkerKind::TrigLevel) && s.nTimeFormat == code::kRolling)
        return "Function not available at rolling mode";
    return nullptr;
}

std::optional<Post> MovePost(const oxacq::RecordView& view, Marker m, int dx, int dy) {
    switch (m.kind) {
    case MarkerKind::Trace:
        return dy == 0 ? std::nullopt : MoveTrace(view, m, dy);
    case MarkerKind::TrigLevel:
        return dy == 0 ? std::nullopt : MoveLevel(view, m, dy);
    case MarkerKind::TrigPos:
        return dx == 0 ? std::nullopt : MovePosition(view.setup, m, dx);
    case MarkerKind::Delayed:
        return dx == 0 ? std::nullopt : MoveDelayed(view.setup, dx);
    case MarkerKind::LaLine: // the lines have fixed places
    case MarkerKind::None:
        break;
    }
    return std::nullopt;
}

std::optional<Post> StepPost(const oxacq::RecordView& view, Marker m, int notches, bool coarse) {
    const bool vertical = m.kind == MarkerKind::Trace || m.kind == MarkerKind::TrigLevel;
    const int window = std::clamp(m.window, 0, 1);
    const int division =
        vertical ? static_cast<int>(Height(WindowRect(view, window)) / kVerticalDivisions)
                 : kPixelsPerDivisionX;
    const int pixels = notches * (coarse ? division : 1);
    return vertical ? MovePost(view, m, 0, -pixels) : MovePost(view, m, pixels, 0);
}

oxact::Plan ResetPlan(const _OX_SETUP& s, Marker m) {
    oxact::Plan plan;
    if (m.kind != MarkerKind::Trace || m.slot < 0 || m.slot >= kTraceSlots) return plan;
    const TraceOffset offset = OffsetOfSlot(s, m.slot);
    plan.Add(oxact::rows::SaveUndo());
    plan.Add(PostOf(offset.command, 0, offset.value));
    return plan;
}

namespace {

// Four signed 16-bit values: left and top in the low half, right and bottom in the high.
std::int64_t PackedBox(const OX_RECT& box) {
    const auto half = [](int a, int b) {
        return static_cast<std::uint32_t>(static_cast<std::uint16_t>(a)) |
               static_cast<std::uint32_t>(static_cast<std::uint16_t>(b)) << 16;
    };
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(half(box.left, box.top)) |
                                     static_cast<std::uint64_t>(half(box.right, box.bottom)) << 32);
}

constexpr int kMinimumBox = 2; // the command layer leaves an axis alone below this

} // namespace

std::optional<Zoom> ZoomAt(const oxacq::RecordView& view, OX_POINT p) {
    const _OX_SETUP& s = view.setup;
    const bool alternate = s.nTrigMode == code::kAlternate;
    for (int w = 0; w < WindowCount(s); ++w) {
        const OX_RECT& rect = WindowRect(view, w);
        if (!Inside(rect, p)) continue;
        if (!TwoWindows(s)) return Zoom{0, rect};
        return Zoom{(alternate ? 3 : 1) + w, rect};
    }
    return std::nullopt;
}

OX_RECT ZoomBox(const Zoom& zoom, OX_POINT from, OX_POINT to) {
    const OX_RECT& a = zoom.area;
    const auto x = [&a](int v) { return std::clamp(v, a.left, a.right); };
    const auto y = [&a](int v) { return std::clamp(v, a.top, a.bottom); };
    return {x(std::min(from.x, to.x)), y(std::min(from.y, to.y)), x(std::max(from.x, to.x)),
            y(std::max(from.y, to.y))};
}

namespace {

const char* ZoomRefusal(const _OX_SETUP& s) {
    if (oxact::rows::PlayingBack(s)) return oxact::kNotAvailable;
    if (s.nTimeFormat == code::kXY) return oxact::kNotAtXY;
    if (s.nTimeFormat == code::kRolling) return "Function not available at rolling mode";
    return nullptr;
}

} // namespace

bool PostZoom(const _OX_SETUP& s, const Zoom& zoom, OX_RECT box, bool bothChannels) {
    if (box.right - box.left < kMinimumBox && box.bottom - box.top < kMinimumBox) return true;
    if (const char* refusal = ZoomRefusal(s)) {
        oxact::RefuseAction(refusal);
        return true;
    }
    if (!oxcmd::Post(cmd::drag::kSetWindow, {}, zoom.window)) return false;
    if (!oxact::Perform(oxact::rows::SinglePost(oxact::rows::SaveUndo()), nullptr)) return false;
    const int active = s.nActiveChannel;
    const long channel = active == 0 || active == 1 ? active : -1; // -1: the time base alone
    return oxcmd::Post(bothChannels ? cmd::drag::kBothChannels : cmd::drag::kActiveChannel,
                       PackedBox(box), bothChannels ? 0 : channel);
}

} // namespace oxmouse
