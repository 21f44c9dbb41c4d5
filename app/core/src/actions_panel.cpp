// The rows of the panel's buttons.
#include "action_posts.h"

#include "oxcommon.h"

namespace oxact {
namespace {

using namespace rows;

// A hidden channel has nothing to measure: each shown cursor read-out of it goes off, each
// with its own command.
void CursorReadoutsOff(const _OX_SETUP& s, int channel, Plan& plan) {
    struct Readout {
        std::int32_t source;
        std::uint8_t on;
        oxcmd::Group group;
        oxcmd::Sub sub;
        long value;
    };
    const Readout readouts[] = {
        {s.nCurXSource, s.bCurXOn, group::kManualCursor, oxcmd::manualcursor::kXOn, 0},
        {s.nCurYSource, s.bCurYOn, group::kManualCursor, oxcmd::manualcursor::kYOn, 0},
        {s.nTrackSourceA, s.bTrackOnA, group::kTrackCursor, oxcmd::trackcursor::kOn,
         code::kCursorA},
        {s.nTrackSourceB, s.bTrackOnB, group::kTrackCursor, oxcmd::trackcursor::kOn,
         code::kCursorB},
    };
    for (const Readout& r : readouts) {
        if (r.source == channel && r.on != 0)
            plan.Add(WithArg(r.group, r.sub, r.value, ArgKind::Bool, 0));
    }
}

template <int Channel> Plan ChannelDisplayPlan(const _OX_SETUP& s) {
    if (code::RecordBusy(s.nRecordState)) return Plan::Refuse(kNotAvailable);
    const bool shown = s.bChanDisplay[Channel] != 0;
    Plan plan;
    plan.Add(
        WithArg(group::kChannel, oxcmd::channel::kDisplay, Channel, ArgKind::Bool, shown ? 0 : 1));
    if (shown) CursorReadoutsOff(s, Channel, plan);
    return plan;
}

template <int Channel> bool ChannelShown(const _OX_SETUP& s) {
    return s.bChanDisplay[Channel] != 0;
}

template <int Channel, bool Up> Plan ChannelScalePlan(const _OX_SETUP& s) {
    Plan plan;
    plan.Add(SaveUndo());
    plan.Add(WithArg(group::kChannel, oxcmd::channel::kScale, Channel, ArgKind::Float,
                     SetPreDefinedScale(s.fChanScale[Channel], Up)));
    return plan;
}

// Under the alternate trigger the first channel's alternate time base is the one shown.
template <bool Up> Plan TimeScalePlan(const _OX_SETUP& s) {
    Plan plan;
    plan.Add(SaveUndo());
    if (s.nTrigMode == code::kAlternate)
        plan.Add(WithArg(group::kTimebase, oxcmd::timebase::kAltScale, 0, ArgKind::Double,
                         SetPreDefinedScale(static_cast<double>(s.dAltTimeScale[0]), Up)));
    else
        plan.Add(WithArg(group::kTimebase, oxcmd::timebase::kMainScale, 0, ArgKind::Double,
                         SetPreDefinedScale(s.dTimeScale, Up)));
    return plan;
}

// clang-format off
constexpr ActionRow kPanelRows[] = {
    // id, menu, caption, button, object name, shortcut, tip, plan, enabled, checked
    {ActionId::Ch1Display, nullptr, nullptr, "CH1", "CH1", nullptr, "Show or hide CH1", ChannelDisplayPlan<0>, nullptr, ChannelShown<0>},
    {ActionId::Ch2Display, nullptr, nullptr, "CH2", "CH2", nullptr, "Show or hide CH2", ChannelDisplayPlan<1>, nullptr, ChannelShown<1>},
    {ActionId::Ch1ScaleUp, nullptr, nullptr, "▲", "CH1_UP", nullptr, "CH1 volts/div up", ChannelScalePlan<0, true>, nullptr, nullptr},
    {ActionId::Ch1ScaleDown, nullptr, nullptr, "▼", "CH1_DOWN", nullptr, "CH1 volts/div down", ChannelScalePlan<0, false>, nullptr, nullptr},
    {ActionId::Ch2ScaleUp, nullptr, nullptr, "▲", "CH2_UP", nullptr, "CH2 volts/div up", ChannelScalePlan<1, true>, nullptr, nullptr},
    {ActionId::Ch2ScaleDown, nullptr, nullptr, "▼", "CH2_DOWN", nullptr, "CH2 volts/div down", ChannelScalePlan<1, false>, nullptr, nullptr},
    {ActionId::TimeScaleUp, nullptr, nullptr, "▲", "TIME_UP", nullptr, "Time/div up", TimeScalePlan<true>, nullptr, nullptr},
    {ActionId::TimeScaleDown, nullptr, nullptr, "▼", "TIME_DOWN", nullptr, "Time/div down", TimeScalePlan<false>, nullptr, nullptr},
    {ActionId::MeasurePanel, nullptr, nullptr, "MEASURE", "MEASURE", nullptr, "Show the measurement panel", nullptr, nullptr, nullptr},
};
// clang-format on

} // namespace

std::span<const ActionRow> PanelRows() {
    return kPanelRows;
}

} // namespace oxact
