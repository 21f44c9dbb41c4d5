// The mouse on the scope picture: where each marker responds, which marker lies under the
// pointer, what moving, stepping or resetting one asks of the instrument, and the zoom box
// drawn on the graticule. Points are picture pixels, the coordinates of the region
// record's rectangles and marker points.
//
// Hit areas (each the drawn shape and kHitSlack pixels around it):
// - ground markers of CH1, CH2, the math traces and the shown references: the glyph in
//   the left margin (at the top or bottom edge when the marker lies off screen);
// - the trigger level: kLevelHitRows rows either side of its line, across the margin and
//   the graticule, while the level sits on screen and belongs to CH1 or CH2;
// - the trigger position: its arrow at the top of the graticule (or at either edge);
// - the delayed window: its whole rectangle in the upper window;
// - a shown logic-analyzer line: the rows of its wave, across the margin. The lines sit at
//   fixed places, so taking one moves nothing; it keeps the press from the markers under it.
// They are searched in this order: the active trace's own marker (the analyzer's lines
// when the analyzer is active), every trace marker, the analyzer's lines, the trigger
// markers, the delayed window; the first hit wins.
#pragma once

#include "oxactions.h"
#include "oxsnapshot.h"

#include <cstdint>
#include <optional>

namespace oxmouse {

enum class MarkerKind : std::uint8_t { None, Trace, TrigLevel, TrigPos, Delayed, LaLine };

// Ground-marker slots of the region record (ptTrace): CH1, CH2, MATH1..4, Ref1..4.
inline constexpr int kMathSlot = 2;
inline constexpr int kRefSlot = 6;
inline constexpr int kTraceSlots = 10;

inline constexpr int kHitSlack = 2;
inline constexpr int kLevelHitRows = 3;
inline constexpr int kPixelsPerDivisionX = 50;

struct Marker {
    MarkerKind kind = MarkerKind::None;
    int window = 0; // 0 the main (or upper) window, 1 the lower one
    int slot = 0;   // the ground-marker slot of a trace marker, the line of an analyzer one
    bool operator==(const Marker&) const = default;
    [[nodiscard]] bool Found() const { return kind != MarkerKind::None; }
};

// The marker's code as the renderer reads it (nDragMarker), and back; -1 for none.
[[nodiscard]] int MarkerCode(Marker marker);
[[nodiscard]] Marker MarkerFromCode(int code);

// Where the marker responds, when it is on the picture.
[[nodiscard]] std::optional<OX_RECT> HitArea(const oxacq::RecordView& view, Marker marker);
// The first marker whose area holds `p`.
[[nodiscard]] Marker MarkerAt(const oxacq::RecordView& view, OX_POINT p);

// Why a marker cannot be moved now (nullptr: it can).
[[nodiscard]] const char* MoveRefusal(const _OX_SETUP& s, Marker marker);
// The one post that moves `marker` by (dx, dy) pixels from where it stands in `view`;
// none when that move changes nothing.
[[nodiscard]] std::optional<oxact::Post> MovePost(const oxacq::RecordView& view, Marker marker,
                                                  int dx, int dy);
// The wheel over a marker: `notches` fine steps (one pixel of its window), or divisions
// with `coarse`; positive moves up or to the right.
[[nodiscard]] std::optional<oxact::Post> StepPost(const oxacq::RecordView& view, Marker marker,
                                                  int notches, bool coarse);
// A double click on a trace marker: the offset its drag moves (a channel's, a math trace's,
// an FFT trace's in its unit, a reference's) back to 0 after the undo slot is filled.
[[nodiscard]] oxact::Plan ResetPlan(const _OX_SETUP& s, Marker marker);

// The zoom on the graticule: the box becomes the new screen (group 4524).
struct Zoom {
    int window = 0; // the region record's dragged-window index
    OX_RECT area{}; // the window the box is drawn in; the box is kept inside it
};
// The window under `p` that a zoom box can be drawn in.
[[nodiscard]] std::optional<Zoom> ZoomAt(const oxacq::RecordView& view, OX_POINT p);
// The box from two corners, inside the zoom's window.
[[nodiscard]] OX_RECT ZoomBox(const Zoom& zoom, OX_POINT from, OX_POINT to);
// Posts the zoom: its window, the undo slot, then the box for the active channel or for
// both. Nothing for a box too small on both axes; the refusal during playback, in X-Y and
// in rolling format. False when the queue refused a post.
[[nodiscard]] bool PostZoom(const _OX_SETUP& s, const Zoom& zoom, OX_RECT box, bool bothChannels);

} // namespace oxmouse
