// Window choices shared by the marker and cursor geometry.
#pragma once

#include "oxmsg.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace oxmsg {

// The time windows on screen: upper and lower with the delayed timebase (Y-T)
// or the alternate trigger, the time half of the FFT split screen, or the main
// graticule.
struct TimeWindows {
    OX_RECT rect[2];
    int count;
};
bool TwoWindows(const _OX_SETUP& setup);
TimeWindows VisibleWindows(const _OX_SETUP& setup, const _OX_RGN_SETUP& region);

// The trigger-position origin of a window: 16 + half its width (its whole width
// while rolling), 13 pixels below its top edge relative to the main graticule.
OX_POINT WindowOrigin(const _OX_SETUP& setup, const _OX_RGN_SETUP& region, const OX_RECT& rect);

// Rectangles may come from a loaded file: their arithmetic is done in 64 bits and
// brought back into the int range.
inline int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// Runs `work` on the shared records it needs, once OxMsgInit has handed them over.
template <class Work> void WithRegion(Work work) {
    const SharedRecords& shared = Records();
    if (shared.setup != nullptr && shared.region != nullptr) work(*shared.setup, *shared.region);
}

template <class Work> void WithPositions(Work work) {
    const SharedRecords& shared = Records();
    if (shared.setup != nullptr && shared.positions != nullptr)
        work(*shared.setup, *shared.positions);
}

} // namespace oxmsg
