// The screen follow-ups of the handlers, in one place: each marks the part of the
// screen the renderer must redo.
#include "handlers_kit.h"

namespace oxmsg::handlerkit {

void TrigLevelMoved() { Region().bRedrawTrigLevel = 1; }

void ScreenLayoutChanged() { Region().bRedrawAll = 1; }

void CursorsMoved() { Region().bRedrawCursor = 1; }

void SettingChanged() { SetRefreshWave(true); }

} // namespace oxmsg::handlerkit

namespace oxmsg::handlerkit {
namespace {

// Divisions either side of the graticule's centre.
constexpr float kHalfWidthDivs = 7.0f;
constexpr float kHalfHeightDivs = 4.0f;

float ValidCursor(float divisions, float half)
{
    if (!(divisions >= -half)) {
        SetSystemError("Cursor position at lower limit");
        return -half;
    }
    if (divisions > half) {
        SetSystemError("Cursor position at upper limit");
        return half;
    }
    return divisions;
}

} // namespace

float ValidCursorX(float divisions) { return ValidCursor(divisions, kHalfWidthDivs); }

float ValidCursorY(float divisions) { return ValidCursor(divisions, kHalfHeightDivs); }

} // namespace oxmsg::handlerkit
