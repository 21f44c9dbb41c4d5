// The rows of the panel's buttons.
#include "action_posts.h"

#include "oxcommon.h"

#include <array>
#include <utility>
#include <vector>

namespace oxact {
namespace {

using namespace rows;

// A hidden channel has nothing to measure: each shown cursor read-out of it goes off, each
// with its own command.
void CursorReadoutsOff(const _OX_SETUP& s, int channel, Plan& plan) {
    struct Readout {
        std::int32_t source;
        std::uint8_t on;
        oxcmd::Command<bool> command;
        long value;
    };
    const Readout readouts[] = {
        {s.nCurXSource, s.bCurXOn, cmd::manualcursor::kXOn, 0},
        {s.nCurYSource, s.bCurYOn, cmd::manualcursor::kYOn, 0},
        {s.nTrackSourceA, s.bTrackOnA, cmd::trackcursor::kOn, code::kCursorA},
        {s.nTrackSourceB, s.bTrackOnB, cmd::trackcursor::kOn, code::kCursorB},
    };
    for (const Readout& r : readouts) {
        if (r.source == channel && r.on != 0) plan.Add(PostOf(r.command, false, r.value));
    }
}

template <int Channel> Plan ChannelDisplayPlan(const _OX_SETUP& s) {
    if (code::RecordBusy(s.nRecordState)) return Plan::Refuse(kNotAvailable);
    const bool shown = s.bChanDisplay[Channel] != 0;
    Plan plan;
    plan.Add(PostOf(cmd::channel::kDisplay, !shown, Channel));
    if (shown) CursorReadoutsOff(s, Channel, plan);
    return plan;
}

template <int Channel> bool ChannelShown(const _OX_SETUP& s) {
    return s.bChanDisplay[Channel] != 0;
}

template <int Channel, bool Up> Plan ChannelScalePlan(const _OX_SETUP& s) {
    Plan plan;
    plan.Add(SaveUndo());
    plan.Add(ChannelScale(Channel, SetPreDefinedScale(s.fChanScale[Channel], Up)));
    return plan;
}

template <bool Up> Plan TimeScalePlan(const _OX_SETUP& s) {
    Plan plan;
    plan.Add(SaveUndo());
    plan.Add(TimeScale(s, SetPreDefinedScale(ShownTimeScale(s), Up)));
    return plan;
}

Plan MainDelayedPlan(const _OX_SETUP& s) {
    return SinglePost(PostOf(cmd::timebase::kDelayed, s.bDelayed == 0));
}
bool Delayed(const _OX_SETUP& s) {
    return s.bDelayed != 0;
}

Plan HorizontalPanelPlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::panel::Request(oxcmd::panel::kHorizontalDialog)));
}
Plan TriggerPanelPlan(const _OX_SETUP&) {
    return SinglePost(PostOf(cmd::panel::Request(oxcmd::panel::kTriggerDialog)));
}

bool AnalyzerFitted(const _OX_SETUP& s) {
    return s.bLaInstalled != 0;
}

Plan LaEnablePlan(const _OX_SETUP& s) {
    if (!AnalyzerFitted(s)) return Plan::Refuse(kNoAnalyzer);
    const bool on = s.bLaEnable != 0;
    Plan plan;
    plan.Add(PostOf(cmd::logic::kEnable, !on));
    // An X cursor on the analyzer has nothing left to measure once the analyzer is off.
    if (on && s.nCurXSource == code::kCursorSourceLogic && s.bCurXOn != 0)
        plan.Add(PostOf(cmd::manualcursor::kXOn, false));
    return plan;
}
bool LaEnabled(const _OX_SETUP& s) {
    return s.bLaEnable != 0;
}

template <int Line> Plan LaLinePlan(const _OX_SETUP& s) {
    if (!AnalyzerFitted(s)) return Plan::Refuse(kNoAnalyzer);
    return SinglePost(PostOf(cmd::logic::kLine, s.bLaChannel[Line] == 0, Line));
}
template <int Line> bool LaLineShown(const _OX_SETUP& s) {
    return s.bLaChannel[Line] != 0;
}

constexpr const char* kLineNames[code::kDigitalLines] = {
    "D0", "D1", "D2",  "D3",  "D4",  "D5",  "D6",  "D7",
    "D8", "D9", "D10", "D11", "D12", "D13", "D14", "D15",
};

template <int Line> constexpr ActionRow LaLineRow() {
    return {static_cast<ActionId>(static_cast<int>(ActionId::LaLine0) + Line),
            nullptr,
            nullptr,
            kLineNames[Line],
            kLineNames[Line],
            nullptr,
            "Show or hide this digital line",
            LaLinePlan<Line>,
            AnalyzerFitted,
            LaLineShown<Line>};
}

template <std::size_t... Line>
constexpr std::array<ActionRow, sizeof...(Line)> LaLineRows(std::index_sequence<Line...>) {
    return {LaLineRow<static_cast<int>(Line)>()...};
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
    {ActionId::MainDelayed, nullptr, nullptr, "ZOOM", "MAIN_DELAYED", nullptr, "Delayed (zoomed) time base on or off", MainDelayedPlan, nullptr, Delayed},
    {ActionId::HorizontalPanel, nullptr, nullptr, "HORIZ…", "HORIZ_PANEL", nullptr, "Horizontal settings", HorizontalPanelPlan, nullptr, nullptr},
    {ActionId::TriggerPanel, nullptr, nullptr, "TRIG…", "TRIG_PANEL", nullptr, "Trigger settings", TriggerPanelPlan, nullptr, nullptr},
    {ActionId::LaEnable, nullptr, nullptr, "LA", "LA", nullptr, "Logic analyzer on or off", LaEnablePlan, nullptr, LaEnabled},
    {ActionId::MeasurePanel, nullptr, nullptr, "MEASURE", "MEASURE", nullptr, "Show the measurement panel", nullptr, nullptr, nullptr},
};
// clang-format on

constexpr auto kLaLineRows = LaLineRows(std::make_index_sequence<code::kDigitalLines>{});

std::vector<ActionRow> JoinedRows() {
    std::vector<ActionRow> rows(std::begin(kPanelRows), std::end(kPanelRows));
    rows.insert(rows.end(), kLaLineRows.begin(), kLaLineRows.end());
    return rows;
}

} // namespace

std::span<const ActionRow> PanelRows() {
    static const std::vector<ActionRow> rows = JoinedRows();
    return rows;
}

} // namespace oxact
