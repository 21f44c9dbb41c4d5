// Screen geometry: the marker points of the region record and the trace window
// records that say which samples land on which of the 700 screen columns.
//
// The graticule is 14 divisions across and 8 down whatever the pixel size of its
// rectangle; the program's layout sets the rectangles of the region record
// (rcMain, and rcUpper / rcLower, rcFFTTime / rcFFTFreq where used), this part
// divides them. Times are signed 64-bit picoseconds; every division in the
// window rule truncates towards zero.
#pragma once

#include "ox_records.h"

#include <cstdint>

// Divisions from `origin` to `point`: horizontally (x - origin.x) / (width / 14),
// vertically (origin.y - y) / (height / 8), upward positive. An empty rectangle
// gives 0.
float GetCursorDiv(OX_POINT origin, OX_POINT point, OX_RECT rect, bool horizontal);
// The point `divisions` from `origin`: (origin.x + d * width / 14, 0) horizontally,
// (0, origin.y - d * height / 8) vertically; the pixel offset is rounded half away
// from zero and the result limited to +-2,147,483,646.
OX_POINT GetCursorPt(OX_POINT origin, float divisions, OX_RECT rect, bool horizontal);
// The delayed offset that puts the delayed window's centre under `point`
// (50 pixels per division), through ValidateTimeOffset.
double GetDelayedOffset(double delayedScale, double delayedOffset, OX_RECT rect, OX_POINT point);
// The marker of a digital line at `position` divisions above the centre:
// x = 15, y limited to the rectangle.
OX_POINT GetLaOffsetPoint(float position, OX_RECT rect);

// Which cursor a cursor validator keeps inside its window.
enum OxCursor : int {
    OX_CURSOR_A = 0,       // manual cursor A (X or Y)
    OX_CURSOR_B = 1,       // manual cursor B (X or Y)
    OX_CURSOR_TRACK_A = 2, // tracking cursor A (X only)
    OX_CURSOR_TRACK_B = 3, // tracking cursor B (X only)
};
// A cursor position in divisions kept inside the window its source is drawn in,
// with "Cursor position at lower limit" / "... at upper limit" on a clamp.
float ValidateCursorX(float divisions, int cursor);
float ValidateCursorY(float divisions, int cursor);

// Recompute every marker point of the region record from the setup.
void RebuildRgnSetup();
// The cursor positions in divisions from their points (after a scale, source
// or window change), kept inside their windows without a message.
void RebuildCursorDiv();
// The cursor points from their positions in divisions.
void RebuildCursorPt();
// The reference slots' ground markers and trace windows.
void RebuildRefPos();

// Trace windows while running (the live 2048-point frame), after stopping (the
// full record; `value` is the 16-bit reply of ":INFO:EUQP?", 20 ps per count),
// and after a setting change while running.
void GetRunScreenPara();
void GetStopScreenPara(short value);
void GetChangeSettingScreenPara();
// The trace window of a reference slot (0..3); other slots are ignored.
void GetRefScreenPara(int slot);
// The spectrum window of math trace `trace` (0..3); other traces are ignored.
void GetFFTHorizZoomScale(int trace);

namespace oxmsg {

// One record and the screen it is shown on, for the stopped-record rule.
struct RecordSpan {
    int64_t offsetPs = 0;       // display offset O
    int64_t recordOffsetPs = 0; // offset Or at which the record was taken
    int64_t scalePs = 0;        // display scale s per division
    double sampleRate = 0;      // f, samples per second
    int64_t points = 0;         // record length n
    int64_t rollPoints = 0;     // valid points of a roll record
    bool rolling = false;       // measured against the roll points
};

// Fills the six sample and column fields of `window` (scan position and roll
// points are kept). A record that cannot be placed (rate below 1 or above 10^12
// samples/s, scale or length 0 or less) leaves an empty window: first drawn
// column 0, last drawn column -1.
void PlaceRecord(const RecordSpan& span, OX_TRACE_WINDOW& window);

// Installs the mouse-drag handler (group 4524) with the dispatcher; OxMsgInit
// calls it.
void RegisterDragHandler();

// The trigger-position origin for the current format: y = 13, x = 16 plus half
// the main rectangle's width (the whole width while rolling).
OX_POINT TriggerOrigin(const _OX_SETUP& setup, const _OX_RGN_SETUP& region);

// The vertical position (divisions) of a digital line's marker: the lines are
// stacked 0.45 division apart, D0 lowest, centred on the graticule.
float LaLinePosition(int line);

} // namespace oxmsg
