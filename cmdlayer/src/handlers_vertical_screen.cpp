// Screen follow-ups of the vertical, acquisition, timebase and run-control handlers.
#include "handlers_vertical_screen.h"

#include "handlers_kit.h"

namespace oxmsg::vertical {
namespace {

constexpr int kFFTOperator = 3;
constexpr int kMathTraces = 4;

int TrigSource(const _OX_SETUP& s)
{
    switch (s.nTrigMode) {
    case 0: return s.nEdgeSource;
    case 1: return s.nPulseSource;
    case 2: return s.nSlopeSource;
    case 3: return s.nVideoSource;
    default: return -1;
    }
}

} // namespace

using handlerkit::Region;
using handlerkit::Setup;

void ChannelMarkersMoved()
{
    RebuildRgnSetup();
    Region().bRedrawChanMarker = 1;
    Region().bRedrawTrigLevel = 1;
    Region().bRedrawDelayed = 1;
}

void TimebaseMarkersMoved()
{
    RebuildRgnSetup();
    Region().bRedrawTrigPos = 1;
    Region().bRedrawDelayed = 1;
}

void ScreenRebuilt()
{
    RebuildRgnSetup();
    Region().bRedrawAll = 1;
}

void CursorDivisionsRebuilt()
{
    RebuildCursorDiv();
    Region().bRedrawCursor = 1;
}

void SettingChanged()
{
    SetChangeSetting();
}

bool FFTShown()
{
    const _OX_SETUP& s = Setup();
    for (int k = 0; k < kMathTraces; ++k)
        if (s.bTraceShown[k] && s.nMathOperator[k] == kFFTOperator)
            return true;
    return false;
}

bool TrigSourceShown()
{
    const _OX_SETUP& s = Setup();
    if (s.nTrigMode == handlerkit::kAlternateTrigger)
        return true;
    const int source = TrigSource(s);
    return (source == 0 || source == 1) && s.bChanDisplay[source] != 0;
}

} // namespace oxmsg::vertical
