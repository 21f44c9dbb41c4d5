// The action table as a whole: rows are complete, reachable and their names and shortcuts
// unique; a full queue is reported, not dropped.
#include "actions_fixture.h"

#include "oxmenus.h"

#include <string>

namespace actiontest {
namespace {

TEST_F(ActionTableTest, RowsAreCompleteAndTheirNamesAndShortcutsUnique) {
    std::set<std::string> names, shortcuts;
    std::set<ActionId> popMenu;
    for (const oxact::PopItem& item : oxact::PopMenu())
        popMenu.insert(item.id);
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        EXPECT_EQ(&oxact::Row(row.id), &row);
        ASSERT_NE(row.objectName, nullptr);
        ASSERT_NE(row.tip, nullptr);
        EXPECT_TRUE(names.insert(row.objectName).second) << row.objectName;
        if (row.shortcut != nullptr) {
            EXPECT_TRUE(shortcuts.insert(row.shortcut).second) << row.shortcut;
        }
        EXPECT_TRUE(row.menu == nullptr || row.caption != nullptr) << row.objectName;
        EXPECT_TRUE(row.menu != nullptr || row.button != nullptr || row.shortcut != nullptr ||
                    popMenu.count(row.id) != 0)
            << row.objectName << " cannot be reached";
    }
}

// A held button fills the undo slot at its press only; its repeat ticks change the value alone.
TEST_F(ActionTableTest, ARepeatTickPostsTheChangeWithoutFillingTheUndoSlot) {
    const oxact::Plan press = oxact::Row(ActionId::TimeScaleUp).plan(*setup_);
    const oxact::Plan repeat = oxact::RepeatOf(press);
    ASSERT_EQ(press.count, 2);
    ASSERT_EQ(repeat.count, 1);
    EXPECT_EQ(repeat.posts[0], press.posts[1]);
    EXPECT_STREQ(oxact::RepeatOf(oxact::Plan::Refuse("No")).refusal, "No");
}

TEST_F(ActionTableTest, AFullQueueIsReportedNotDropped) {
    for (int i = 0; i < kIOCmdQueueSize - 1; ++i)
        ASSERT_TRUE(OxPost(group::kRunControl, oxcmd::run::kAuto, i));
    EXPECT_FALSE(oxact::Perform(oxact::Row(ActionId::Stop).plan(*setup_), nullptr));
    EXPECT_STREQ(setup_->szSystemError, "") << "recorded by the I/O thread, not the poster";
    ASSERT_TRUE(GetIOCmd());
    IOCmdProcess();
    EXPECT_STREQ(setup_->szSystemError, kQueueFullText);
}

} // namespace
} // namespace actiontest
