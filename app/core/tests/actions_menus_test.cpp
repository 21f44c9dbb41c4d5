// The menu, context-menu and key rows: each posts exactly its commands through the queue,
// or shows its refusal.
#include "actions_fixture.h"

namespace actiontest {
namespace {

TEST_F(ActionTableTest, EveryMenuRowPostsExactlyItsCommands) {
    using namespace oxcmd;
    const Expected expected[] = {
        {ActionId::Run,
         {{group::kRunControl, run::kCheckLink},
          {group::kRunControl, run::kRun},
          {group::kTimebase, run::kRun}}},
        {ActionId::Stop, {{group::kRunControl, run::kStop}}},
        {ActionId::Auto, {{group::kRunControl, run::kAuto}}},
        {ActionId::Exit, {{group::kRunControl, run::kExit}}},
    };
    ExpectEveryRowPosts(oxact::MenuRows(), expected);
}

TEST_F(ActionTableTest, RunAndStopRefusedWhileARecordPlaysBack) {
    setup_->nRecordState = oxcmd::code::kPlaying;
    for (ActionId id : {ActionId::Run, ActionId::Stop}) {
        const auto posted = Press(id);
        ASSERT_EQ(posted.size(), 1u);
        ExpectCommand(posted[0], group::kRunControl, oxcmd::run::kShowError);
    }
    EXPECT_STREQ(setup_->szSystemError, "Function not available");
}

} // namespace
} // namespace actiontest
