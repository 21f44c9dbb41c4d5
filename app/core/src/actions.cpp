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
        if (post.group != oxcmd::group::kRunControl || post.sub != oxcmd::run::kSaveUndo)
            repeat.Add(post);
    }
    return repeat;
}

void RefuseAction(const char* text) {
    PostSystemError(text);
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
