// The action table as one list, and the one routine that carries a plan out.
#include "oxactions.h"

#include "oxcommon.h"
#include "oxmsg.h"

#include <algorithm>
#include <vector>

namespace oxact {
namespace {

std::vector<ActionRow> JoinedTable() {
    std::vector<ActionRow> table;
    for (std::span<const ActionRow> part : {StorageRows(), MenuRows(), PanelRows()})
        table.insert(table.end(), part.begin(), part.end());
    return table;
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
    static const std::vector<ActionRow> table = JoinedTable();
    return table;
}

const ActionRow& Row(ActionId id) {
    const std::span<const ActionRow> table = ActionTable();
    const auto row =
        std::find_if(table.begin(), table.end(), [id](const ActionRow& r) { return r.id == id; });
    return *row; // every id has its row (checked by the table test)
}

Plan RepeatOf(const Plan& plan) {
    Plan repeat;
    repeat.refusal = plan.refusal;
    for (const Post& post : plan.Posts()) {
        if (post.command.command != oxcmd::AnyCommand(oxcmd::cmd::run::kSaveUndo)) repeat.Add(post);
    }
    return repeat;
}

void RefuseAction(const char* text) {
    PostSystemError(text);
    static_cast<void>(oxcmd::Post(oxcmd::cmd::run::kShowError, {}));
}

bool Perform(const Plan& plan, CWnd* panel) {
    if (plan.refusal != nullptr) {
        RefuseAction(plan.refusal);
        return true;
    }
    for (const Post& post : plan.Posts()) {
        if (!oxcmd::Post(post.command, post.namesPanel ? panel : nullptr)) return false;
    }
    return true;
}

} // namespace oxact
