// The screen follow-ups of the handlers, in one place: the marker points, the
// cursor points and the change tracking, each with the redraw it asks for.
#include "handlers_kit.h"

namespace oxmsg::handlerkit {

void TrigLevelMoved() {
    RebuildRgnSetup();
    Region().bRedrawTrigLevel = 1;
}

void ScreenLayoutChanged() {
    RebuildRgnSetup();
    Region().bRedrawAll = 1;
}

void CursorsMoved() {
    RebuildCursorPt();
    Region().bRedrawCursor = 1;
}

void SettingChanged() {
    SetChangeSetting();
}

} // namespace oxmsg::handlerkit
