// The action table of the main window and the one routine that carries a plan out.
#include "oxactions.h"

#include "oxcommon.h"
#include "oxmsg.h"

#include <algorithm>

namespace oxact {
namespace {

namespace group = oxcmd::group;
namespace code = oxcmd::code;

Post Command(oxcmd::Group g, oxcmd::Sub sub, long value = 0) {
    return {g, sub, value};
}

Post WithArg(oxcmd::Group g, oxcmd::Sub sub, long value, ArgKind kind, double argument) {
    return {g, sub, value, kind, argument};
}

Post ToPanel(Post post) {
    post.namesPanel = true;
    return post;
}

// The undo slot is filled on the I/O thread from the record as it stands, ahead of the
// change that follows it in the queue.
Post SaveUndo() {
    return Command(group::kRunControl, oxcmd::run::kSaveUndo);
}

bool PlayingBack(const _OX_SETUP& s) {
    return s.nRecordState == code::kPlaying;
}

Plan RunPlan(const _OX_SETUP& s) {
    if (PlayingBack(s)) return Plan::Refuse(kNotAvailable);
    Plan plan;
    // The link check goes through the queue: it reconnects, and the link is touched only
    // under the I/O thread's lock.
    plan.Add(Command(group::kRunControl, oxcmd::run::kCheckLink));
    plan.Add(ToPanel(Command(group::kRunControl, oxcmd::run::kRun)));
    plan.Add(ToPanel(Command(group::kTimebase, oxcmd::run::kRun)));
    return plan;
}

Plan StopPlan(const _OX_SETUP& s) {
    if (PlayingBack(s)) return Plan::Refuse(kNotAvailable);
    Plan plan;
    plan.Add(ToPanel(Command(group::kRunControl, oxcmd::run::kStop)));
    return plan;
}

Plan SinglePost(oxcmd::Sub sub) {
    Plan plan;
    plan.Add(Command(group::kRunControl, sub));
    return plan;
}

Plan AutoPlan(const _OX_SETUP&) {
    return SinglePost(oxcmd::run::kAuto);
}
Plan ExitPlan(const _OX_SETUP&) {
    return SinglePost(oxcmd::run::kExit);
}

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

constexpr const char* kControl = "&Control";
constexpr const char* kUtility = "&Utility";

// clang-format off
constexpr ActionRow kTable[] = {
    // id, menu, caption, button, object name, shortcut, tip, plan, enabled, checked
    {ActionId::Run, kControl, "&Run", "RUN", "RUN", "Ctrl+R", "Run acquisition", RunPlan, nullptr, nullptr},
    {ActionId::Stop, kControl, "&Stop", "STOP", "STOP", "Ctrl+S", "Stop acquisition", StopPlan, nullptr, nullptr},
    {ActionId::Auto, kControl, "&Auto", "AUTO", "AUTO", nullptr, "Auto set-up", AutoPlan, nullptr, nullptr},
    {ActionId::Exit, nullptr, nullptr, nullptr, "EXIT", "Ctrl+W", "Close Oxbow", ExitPlan, nullptr, nullptr},
    {ActionId::Ch1Display, nullptr, nullptr, "CH1", "CH1", nullptr, "Show or hide CH1", ChannelDisplayPlan<0>, nullptr, ChannelShown<0>},
    {ActionId::Ch2Display, nullptr, nullptr, "CH2", "CH2", nullptr, "Show or hide CH2", ChannelDisplayPlan<1>, nullptr, ChannelShown<1>},
    {ActionId::Ch1ScaleUp, nullptr, nullptr, "▲", "CH1_UP", nullptr, "CH1 volts/div up", ChannelScalePlan<0, true>, nullptr, nullptr},
    {ActionId::Ch1ScaleDown, nullptr, nullptr, "▼", "CH1_DOWN", nullptr, "CH1 volts/div down", ChannelScalePlan<0, false>, nullptr, nullptr},
    {ActionId::Ch2ScaleUp, nullptr, nullptr, "▲", "CH2_UP", nullptr, "CH2 volts/div up", ChannelScalePlan<1, true>, nullptr, nullptr},
    {ActionId::Ch2ScaleDown, nullptr, nullptr, "▼", "CH2_DOWN", nullptr, "CH2 volts/div down", ChannelScalePlan<1, false>, nullptr, nullptr},
    {ActionId::TimeScaleUp, nullptr, nullptr, "▲", "TIME_UP", nullptr, "Time/div up", TimeScalePlan<true>, nullptr, nullptr},
    {ActionId::TimeScaleDown, nullptr, nullptr, "▼", "TIME_DOWN", nullptr, "Time/div down", TimeScalePlan<false>, nullptr, nullptr},
    {ActionId::Help, kUtility, "&Help", nullptr, "HELP", "F1", "Open the help page", nullptr, nullptr, nullptr},
    {ActionId::About, kUtility, "&About", nullptr, "ABOUT", nullptr, "About Oxbow", nullptr, nullptr, nullptr},
};
// clang-format on

bool PostOne(const Post& post, CWnd* panel) {
    CWnd* window = post.namesPanel ? panel : nullptr;
    switch (post.kind) {
    case ArgKind::None:
        return OxPost(post.group, post.sub, post.value, window);
    case ArgKind::Int:
        return OxPostInt(post.group, post.sub, post.value, static_cast<int>(post.argument), window);
    case ArgKind::Float:
        return OxPostFloat(post.group, post.sub, post.value, static_cast<float>(post.argument),
                           window);
    case ArgKind::Double:
        return OxPostDouble(post.group, post.sub, post.value, post.argument, window);
    case ArgKind::Bool:
        return OxPostBool(post.group, post.sub, post.value, post.argument != 0, window);
    }
    return false;
}

} // namespace

void Plan::Add(const Post& post) {
    if (count < kMaxPosts) posts[static_cast<std::size_t>(count++)] = post;
}

Plan Plan::Refuse(const char* text) {
    Plan plan;
    plan.refusal = text;
    return plan;
}

std::span<const ActionRow> ActionTable() {
    return kTable;
}

const ActionRow& Row(ActionId id) {
    const auto* row = std::find_if(std::begin(kTable), std::end(kTable),
                                   [id](const ActionRow& r) { return r.id == id; });
    return *row; // every id has its row (checked by the table test)
}

void RefuseAction(const char* text) {
    SetSystemError(text);
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kShowError));
}

bool Perform(const Plan& plan, CWnd* panel) {
    if (plan.refusal != nullptr) {
        RefuseAction(plan.refusal);
        return true;
    }
    for (const Post& post : plan.Posts()) {
        if (!PostOne(post, panel)) return false;
    }
    return true;
}

} // namespace oxact
