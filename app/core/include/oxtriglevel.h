// The trigger level as the panel adjusts it (the level field and the level marker): under the
// current trigger type, the command that sets the level, the level it has now and the channel
// it is measured on. Pattern and duration triggers, and a digital line as source, have no
// analog level; the logic analyzer's threshold stands in.
#pragma once

#include "ox_records.h"
#include "ox_settings.h"

namespace oxact {

struct TrigLevelTarget {
    oxcmd::Command<float> command = oxcmd::cmd::trigger::kEdgeLevel;
    long value = 0;   // the command's value: the channel of an alternate-trigger level
    float level = 0;  // the level now
    int channel = -1; // the channel whose scale and offset place the level; -1: none
    bool analyzerThreshold = false; // pattern and duration: the analyzer's threshold
};

// `altChannel` names the channel whose level the alternate trigger adjusts: the level
// field takes the channel being edited (nAltSource), a marker the channel of its window.
// `low`: the slope trigger's low level (B) rather than its high one (A).
[[nodiscard]] TrigLevelTarget TrigLevelOf(const _OX_SETUP& s, int altChannel, bool low = false);
[[nodiscard]] inline TrigLevelTarget TrigLevelOf(const _OX_SETUP& s) {
    return TrigLevelOf(s, s.nAltSource);
}

} // namespace oxact
