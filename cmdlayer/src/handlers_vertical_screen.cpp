// Marker follow-ups of the vertical and timebase handlers, and their installation.
#include "handlers_vertical.h"

namespace oxmsg::vertical {

using handlerkit::Region;

void ChannelMarkersMoved() {
    RebuildRgnSetup();
    Region().bRedrawChanMarker = 1;
    Region().bRedrawTrigLevel = 1;
    Region().bRedrawDelayed = 1;
}

void TimebaseMarkersMoved() {
    RebuildRgnSetup();
    Region().bRedrawTrigPos = 1;
    Region().bRedrawDelayed = 1;
}

void CursorDivisionsRebuilt() {
    RebuildCursorDiv();
    Region().bRedrawCursor = 1;
}

} // namespace oxmsg::vertical

void OxInstallVerticalHandlers() {
    using oxmsg::handlerkit::WhenRecordsSet;
    OxSetIOCmdHandler(oxcmd::group::kChannel, WhenRecordsSet(oxmsg::vertical::ChannelHandler));
    OxSetIOCmdHandler(oxcmd::group::kAcquire, WhenRecordsSet(oxmsg::vertical::AcquireHandler));
    OxSetIOCmdHandler(oxcmd::group::kTimebase, WhenRecordsSet(oxmsg::vertical::TimebaseHandler));
    OxSetIOCmdHandler(oxcmd::group::kRunControl, WhenRecordsSet(oxmsg::vertical::RunHandler));
}
