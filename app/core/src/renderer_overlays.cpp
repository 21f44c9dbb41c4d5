// The overlays drawn over the composed picture: ground markers, trigger marks, split line,
// X-Y marks, cursors, pass/fail counters, the error text and the memory-status bar.
#include "oxgdi.h"
#include "oxmarkers.h"
#include "oxmeasure.h"
#include "pipeline_state.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace oxdisplay {

namespace {

using State = DisplayEngine::State;

constexpr std::uint32_t kCursorColour = 0x00C0FF;
constexpr std::uint32_t kTrigMarkColour = 0xFF8000;
constexpr std::uint32_t kCentreMarkColour = 0xFFFFFF;
constexpr std::uint32_t kHighlightColour = 0xFFFFFF; // the marker the mouse points at
constexpr std::uint32_t kRefMarkerColour = 0xB0B0B0;
constexpr int kRefGlyph = 3;
constexpr int kSplitLineRows = 2;
constexpr std::uint32_t kPassFailColour[3] = {0xFF4040, 0x40FF40, 0xFFFFFF}; // fail, pass, total
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;

// 5 x 7 glyphs of the printable ASCII characters, one byte per column, bit 0 the top row.
constexpr std::uint8_t kFont[95][kGlyphWidth] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x14, 0x08, 0x3E, 0x08, 0x14}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08},
};

// Glyphs beyond ASCII that the read-outs use: the difference triangle and the micro sign.
struct ExtraGlyph {
    char32_t code;
    std::uint8_t columns[kGlyphWidth];
};
constexpr ExtraGlyph kExtraGlyphs[] = {
    {U'\u25B3', {0x60, 0x5C, 0x43, 0x5C, 0x60}},
    {U'\u00B5', {0x7E, 0x10, 0x10, 0x1E, 0x10}},
};
constexpr int kLineGap = 3;
constexpr int kLineHeight = kGlyphHeight + kLineGap;
constexpr int kBackingPad = 3;
constexpr std::uint32_t kBackingColour = 0x0A0C10; // under the read-outs: darker than any trace
constexpr int kReadoutMargin = 8;
constexpr std::uint32_t kCaptionColour = 0x000000;    // on the filled bar of X-Y and roll
constexpr std::uint32_t kAltCaptionColour = 0xFEFF00; // on the empty bar of the alternate trigger

// The next character of UTF-8 text (advancing `text`); a malformed sequence reads as one
// replacement character per byte.
char32_t NextCharacter(const char*& text) {
    const auto lead = static_cast<unsigned char>(*text++);
    if (lead < 0x80) {
        return lead;
    }
    const int extra = (lead & 0xE0) == 0xC0   ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    if (extra < 0) {
        return U'?';
    }
    char32_t code = lead & (0x3F >> extra);
    const char* next = text;
    for (int i = 0; i < extra; ++i, ++next) {
        const auto byte = static_cast<unsigned char>(*next);
        if ((byte & 0xC0) != 0x80) {
            return U'?'; // the bytes after the lead are read on their own
        }
        code = (code << 6) | (byte & 0x3F);
    }
    text = next;
    return code;
}

const std::uint8_t* GlyphOf(char32_t c) {
    if (c >= 32 && c < 127) {
        return kFont[c - 32];
    }
    for (const ExtraGlyph& g : kExtraGlyphs) {
        if (g.code == c) {
            return g.columns;
        }
    }
    return kFont['?' - 32];
}

CPoint ToPoint(const OX_POINT& p) {
    return {p.x, p.y};
}

// A marker's colour: the highlight while the mouse points at it or drags it.
std::uint32_t MarkerColour(const State& s, oxmouse::Marker marker, std::uint32_t colour) {
    const _OX_RGN_SETUP& rgn = s.region();
    const bool highlighted =
        rgn.bMarkerHighlight != 0 && oxmouse::MarkerFromCode(rgn.nDragMarker) == marker;
    return highlighted ? kHighlightColour : colour;
}

std::uint32_t TraceMarkerColour(const State& s, int window, int slot, std::uint32_t colour) {
    return MarkerColour(s, {oxmouse::MarkerKind::Trace, window, slot}, colour);
}

// The regions whose markers are drawn: the main one, and the lower one in split layouts.
int ShownRegions(Layout layout) {
    return layout == Layout::Single ? 1 : 2;
}

void DrawGroundMarkers(State& s, const DDSURFACEDESC2& strip) {
    const _OX_SETUP& setup = s.setup();
    const _OX_RGN_SETUP& rgn = s.region();
    const Layout layout = s.layout();
    CRect drawn;
    if (setup.nTimeFormat == oxcmd::code::kXY) {
        if (setup.bChanDisplay[1]) {
            DrawGnd(strip, s.geometry(0).compose, 1, ToPoint(rgn.ptTrace[0][1]), drawn,
                    TraceMarkerColour(s, 0, 1, kChannelColour[1]), false);
        }
        return;
    }
    for (int w = 0; w < ShownRegions(layout); ++w) {
        const CRect rect = s.geometry(w).compose;
        for (int ch = 0; ch < 2; ++ch) {
            const bool inRegion = layout != Layout::Alternate || ch == w;
            if (setup.bChanDisplay[ch] && inRegion) {
                DrawGnd(strip, rect, ch, ToPoint(rgn.ptTrace[w][ch]), drawn,
                        TraceMarkerColour(s, w, ch, kChannelColour[ch]), false);
            }
        }
        if (layout == Layout::Alternate) {
            continue;
        }
        for (int k = 0; k < kMathSlots; ++k) {
            const int slot = oxmouse::kMathSlot + k;
            if (setup.bTraceShown[k]) {
                DrawGnd(strip, rect, 2, ToPoint(rgn.ptTrace[w][slot]), drawn,
                        TraceMarkerColour(s, w, slot, kMathColour), false);
            }
        }
        for (int r = 0; r < kRefSlots; ++r) {
            const int slot = oxmouse::kRefSlot + r;
            if (setup.bRefDisplay[r]) {
                DrawGnd(strip, rect, kRefGlyph, ToPoint(rgn.ptTrace[w][slot]), drawn,
                        TraceMarkerColour(s, w, slot, kRefMarkerColour), false);
            }
        }
    }
}

void DrawTriggerMarks(State& s, const DDSURFACEDESC2& comp) {
    const _OX_RGN_SETUP& rgn = s.region();
    const Layout layout = s.layout();
    CRect drawn;
    const CRect main = s.geometry(0).compose;
    DrawHorizRefCenterMark(comp, ToPoint(rgn.ptTrigOrigin), main, kCentreMarkColour);
    if (s.setup().nTimeFormat == oxcmd::code::kXY) {
        return;
    }
    const int regions = layout == Layout::Alternate || layout == Layout::Delayed ? 2 : 1;
    for (int w = 0; w < regions; ++w) {
        const CRect rect = s.geometry(w).compose;
        DrawTrigLevelLine(
            comp, rect, ToPoint(rgn.ptTrigLevel[w]),
            MarkerColour(s, {oxmouse::MarkerKind::TrigLevel, w, 0}, kTrigLevelColour));
        DrawTrigOffsetMark(comp, rect, ToPoint(rgn.ptTrigPos[w]), drawn,
                           MarkerColour(s, {oxmouse::MarkerKind::TrigPos, w, 0}, kTrigMarkColour));
    }
}

void DrawLayoutMarks(State& s, const DDSURFACEDESC2& comp) {
    const _OX_RGN_SETUP& rgn = s.region();
    CRect drawn;
    if (s.layout() == Layout::Delayed) {
        const CRect upper = s.geometry(0).compose;
        const CRect lower = s.geometry(1).compose;
        // A thin line in the middle of the gap between the halves; the rest of it stays
        // background.
        const int middle = (upper.bottom + 1 + lower.top) / 2;
        DrawDelayedSplitLine(comp, {upper.left, middle - kSplitLineRows / 2, upper.right,
                                    middle + kSplitLineRows / 2});
    }
    if (s.setup().nTimeFormat == oxcmd::code::kXY) {
        const CRect main = s.geometry(0).compose;
        for (int ch = 0; ch < 2; ++ch) {
            DrawXYChanMark(comp, main, ToPoint(rgn.ptTrace[0][ch]), drawn, kChannelColour[ch]);
        }
    }
}

// A tracking cursor's line, with the point it tracks marked (a box split by a cross, and a
// level line through it): where the source channel's trace enters the column the value is
// read at, in the region the value is read from. A cursor on a source without a value there
// draws its line only.
void DrawTrackCursor(const State& s, const DDSURFACEDESC2& comp, int source, float divisions,
                     const OX_POINT& at) {
    CRect drawn;
    const MeasureInput& in = s.measureInput;
    const MeasureTrace* trace =
        source == 0 || source == 1 ? oxmeasure::MeasuredTrace(in, source) : nullptr;
    const int region = trace == &in.traces[source & 1][1] ? 1 : 0;
    const RegionGeometry g = s.geometry(region);
    const int index = 2 * (oxmeasure::CursorColumn(divisions) - (trace ? trace->firstColumn : 0));
    if (trace == nullptr || index < 0 || index >= trace->count) {
        DrawTracklCursor(comp, g.compose, ToPoint(at), kCursorColour, drawn, false);
        return;
    }
    const int y = g.compose.top + trace->rows[index] - g.rowOffset;
    DrawTracklCursor(comp, g.compose, {at.x, y}, kCursorColour, drawn, true);
}

void DrawCursors(State& s, const DDSURFACEDESC2& comp) {
    const _OX_SETUP& setup = s.setup();
    const _OX_RGN_SETUP& rgn = s.region();
    const CRect main = s.geometry(0).compose;
    CRect drawn;
    if (setup.nCursorMode == oxcmd::code::kManualCursors) {
        if (setup.bCurXOn) {
            DrawVerticalManualCursor(comp, main, ToPoint(rgn.ptCurXA), kCursorColour, drawn);
            DrawVerticalManualCursor(comp, main, ToPoint(rgn.ptCurXB), kCursorColour, drawn);
        }
        if (setup.bCurYOn) {
            DrawHorizManualCursor(comp, main, ToPoint(rgn.ptCurYA), kCursorColour, drawn);
            DrawHorizManualCursor(comp, main, ToPoint(rgn.ptCurYB), kCursorColour, drawn);
        }
    } else if (setup.nCursorMode == oxcmd::code::kTrackCursors) {
        if (setup.bTrackOnA) {
            DrawTrackCursor(s, comp, setup.nTrackSourceA, setup.fTrackA, rgn.ptTrackA);
        }
        if (setup.bTrackOnB) {
            DrawTrackCursor(s, comp, setup.nTrackSourceB, setup.fTrackB, rgn.ptTrackB);
        }
    }
}

void DrawPassFailCounters(State& s, const DDSURFACEDESC2& comp) {
    const _OX_SETUP& setup = s.setup();
    if (!setup.bPfEnable || !setup.bPfInfo) {
        return;
    }
    const std::array<std::string, 3> lines = oxmeasure::PassFailLines(setup);
    const CRect main = s.geometry(0).compose;
    for (int i = 0; i < 3; ++i) {
        DrawText(comp, main.left + 25 + 4, main.top + 10 + 23 * i + 6, lines[i].c_str(),
                 kPassFailColour[i]);
    }
}

// A dark box under text, so that traces and grid behind it never cross the letters.
void FillBacking(const DDSURFACEDESC2& comp, const CRect& text) {
    FillRectShadow(comp,
                   {text.left - kBackingPad, text.top - kBackingPad, text.right + kBackingPad,
                    text.bottom + kBackingPad},
                   kBackingColour, false);
}

// The cursor and logic-analyzer read-outs, right-aligned at the top of the plot on one
// dark box.
void DrawReadouts(State& s, const DDSURFACEDESC2& comp) {
    s.measure->OverlayLines(s.setup(), s.overlayLines);
    if (s.overlayLines.empty()) {
        return;
    }
    const CRect main = s.geometry(0).compose;
    int widest = 0;
    for (const std::string& line : s.overlayLines) {
        widest = std::max(widest, TextWidth(line.c_str()));
    }
    const int right = main.right - kReadoutMargin;
    const int top = main.top + kReadoutMargin;
    const int lines = static_cast<int>(s.overlayLines.size());
    FillBacking(comp, {right - widest, top, right, top + lines * kLineHeight - kLineGap});
    int y = top;
    for (const std::string& line : s.overlayLines) {
        const char* text = line.c_str();
        DrawText(comp, right - TextWidth(text), y, text, kCursorColour);
        y += kLineHeight;
    }
}

// Without a link the last picture stays, and says so until the link is back.
void DrawOfflineLine(State& s, const DDSURFACEDESC2& comp) {
    if (s.setup().bConnected) {
        return;
    }
    const CRect main = s.geometry(0).compose;
    const int x = main.left + (main.Width() - TextWidth(kOfflineLine)) / 2;
    const int y = main.top + main.Height() / 4;
    FillBacking(comp, {x, y, x + TextWidth(kOfflineLine), y + kGlyphHeight});
    DrawText(comp, x, y, kOfflineLine, kErrorTextColour);
}

void DrawErrorText(State& s, const DDSURFACEDESC2& comp) {
    const _OX_SETUP& setup = s.setup();
    if (!s.region().bErrorShown) {
        return;
    }
    char text[sizeof setup.szSystemError + 1] = {};
    std::memcpy(text, setup.szSystemError, sizeof setup.szSystemError);
    const CRect main = s.geometry(0).compose;
    DrawText(comp, main.left + 8, main.bottom - 8 - kGlyphHeight, text, kErrorTextColour);
}

// X-Y, roll and the alternate trigger show no memory bar: their caption takes its place.
void DrawModeCaption(const DDSURFACEDESC2& status, const _OX_SETUP& setup) {
    const char* caption = oxmeasure::ModeCaption(setup);
    if (caption == nullptr) {
        return;
    }
    const bool barFilled = setup.nTimeFormat != oxcmd::code::kYT;
    DrawText(status, (kStatusWidth - TextWidth(caption)) / 2, 4, caption,
             barFilled ? kCaptionColour : kAltCaptionColour);
}

void DrawStatus(State& s) {
    if (s.statusValid && std::memcmp(s.statusDrawnFor.get(), &s.setup(), sizeof(_OX_SETUP)) == 0) {
        return;
    }
    Locked status(s.status);
    if (status.ok()) {
        FillGrey(status.desc(), 0);
        DrawMemStatus(status.desc(), &s.setup());
        DrawModeCaption(status.desc(), s.setup());
        std::memcpy(s.statusDrawnFor.get(), &s.setup(), sizeof(_OX_SETUP));
        s.statusValid = true;
    }
}

} // namespace

void DrawText(DDSURFACEDESC2 desc, int x, int y, const char* text, std::uint32_t colour) {
    if (desc.lpSurface == nullptr || desc.ddpfPixelFormat.dwRGBBitCount != 32 ||
        desc.lPitch < static_cast<std::int32_t>(desc.dwWidth * sizeof(std::uint32_t))) {
        return;
    }
    const int width = static_cast<int>(desc.dwWidth);
    const int height = static_cast<int>(desc.dwHeight);
    auto* pixels = static_cast<std::uint8_t*>(desc.lpSurface);
    for (; *text != '\0' && x < width; x += kGlyphAdvance) {
        const std::uint8_t* glyph = GlyphOf(NextCharacter(text));
        for (int col = 0; col < kGlyphWidth; ++col) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                const int px = x + col;
                const int py = y + row;
                if ((glyph[col] & (1u << row)) && px >= 0 && px < width && py >= 0 && py < height) {
                    reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(py) *
                                                                  desc.lPitch)[px] = colour;
                }
            }
        }
    }
}

int TextWidth(const char* text) {
    int characters = 0;
    while (*text != '\0') {
        NextCharacter(text);
        ++characters;
    }
    return characters * kGlyphAdvance;
}

void DisplayEngine::DrawOverlays() {
    State& s = *state_;
    if (s.pictureCurrent) {
        return;
    }
    {
        Locked strip(s.markers);
        if (!strip.ok()) {
            return;
        }
        FillGrey(strip.desc(), s.grey);
        DrawGroundMarkers(s, strip.desc());
    }
    s.writeComposition();
    s.composition().Blt({0, 0, kMarkerWidth, kComposeHeight}, s.markers,
                        {0, 0, kMarkerWidth, kComposeHeight});
    {
        Locked comp(s.composition());
        if (!comp.ok()) {
            return;
        }
        DrawTriggerMarks(s, comp.desc());
        DrawLayoutMarks(s, comp.desc());
        DrawCursors(s, comp.desc());
        DrawPassFailCounters(s, comp.desc());
        DrawReadouts(s, comp.desc());
        DrawOfflineLine(s, comp.desc());
        DrawErrorText(s, comp.desc());
    }
    DrawStatus(s);
    s.rememberComposed();
}

} // namespace oxdisplay
