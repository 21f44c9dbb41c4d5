// The rows of the menus, the context menu and the keys that have no menu item.
#include "action_posts.h"

namespace oxact {
namespace {

using namespace rows;

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
    return SinglePost(ToPanel(Command(group::kRunControl, oxcmd::run::kStop)));
}

Plan AutoPlan(const _OX_SETUP&) {
    return SinglePost(Command(group::kRunControl, oxcmd::run::kAuto));
}
Plan ExitPlan(const _OX_SETUP&) {
    return SinglePost(Command(group::kRunControl, oxcmd::run::kExit));
}

constexpr const char* kControl = "&Control";
constexpr const char* kUtility = "&Utility";

// clang-format off
constexpr ActionRow kMenuRows[] = {
    // id, menu, caption, button, object name, shortcut, tip, plan, enabled, checked
    {ActionId::Run, kControl, "&Run", "RUN", "RUN", "Ctrl+R", "Run acquisition", RunPlan, nullptr, nullptr},
    {ActionId::Stop, kControl, "&Stop", "STOP", "STOP", "Ctrl+S", "Stop acquisition", StopPlan, nullptr, nullptr},
    {ActionId::Auto, kControl, "&Auto", "AUTO", "AUTO", nullptr, "Auto set-up", AutoPlan, nullptr, nullptr},
    {ActionId::Exit, nullptr, nullptr, nullptr, "EXIT", "Ctrl+W", "Close Oxbow", ExitPlan, nullptr, nullptr},
    {ActionId::Help, kUtility, "&Help", nullptr, "HELP", "F1", "Open the help page", nullptr, nullptr, nullptr},
    {ActionId::About, kUtility, "&About", nullptr, "ABOUT", nullptr, "About Oxbow", nullptr, nullptr, nullptr},
};
// clang-format on

} // namespace

std::span<const ActionRow> MenuRows() {
    return kMenuRows;
}

} // namespace oxact
