// The table-built menus as a person meets them: the menu bar in its order with submenus and
// separators, check marks and enabled states from the published view, the context menu,
// the measurement source menu, and shortcuts scoped to the main window.
#include "actionbinder.h"
#include "oxmenus.h"
#include "program_fixture.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QVBoxLayout>

#include <cstring>
#include <vector>

namespace oxapp::test {
namespace {

using oxact::ActionId;

struct Posted {
    oxcmd::Sub sub;
    long value;
    std::uint32_t low;
};

class BinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&view_.setup, 0, sizeof view_.setup);
        view_.setup.bChanDisplay[0] = 1;
        OxMsgInit(nullptr, &view_.setup, region_.get(), positions_.get(), nullptr);
        OxSetIOCmdHandler(oxcmd::group::kMeasure,
                          [this](IOCmdContext& context, unsigned int sub, long value,
                                 std::uint32_t low, std::uint32_t) {
                              context.send = false;
                              measured_.push_back({sub, value, low});
                          });
        binder_ = new ActionBinder(window_, [this](ActionId id) { triggered_.push_back(id); });
        auto* layout = new QVBoxLayout(&window_);
        layout->setMenuBar(binder_->BuildMenuBar(&window_));
        binder_->Refresh(view_);
    }
    void TearDown() override {
        while (GetIOCmd() != 0)
            IOCmdProcess();
        OxSetIOCmdHandler(oxcmd::group::kMeasure, {});
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    void ShowActive() {
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        triggered_.clear();
    }
    QMenu* Menu(const QString& title) const {
        for (QAction* item : window_.findChild<QMenuBar*>()->actions()) {
            if (item->text() == title) return item->menu();
        }
        return nullptr;
    }
    // The item texts of a menu, "-" for a separator.
    static QStringList Items(const QMenu* menu) {
        QStringList items;
        for (QAction* item : menu->actions())
            items << (item->isSeparator() ? QString("-") : item->text());
        return items;
    }
    std::vector<Posted> Measured() {
        while (GetIOCmd() != 0)
            IOCmdProcess();
        return std::exchange(measured_, {});
    }

    struct AppFirst {
        AppFirst() { App(); }
    } app_; // the application exists before any widget
    QWidget window_;
    ActionBinder* binder_ = nullptr;
    oxacq::RecordView view_;
    std::unique_ptr<_OX_RGN_SETUP> region_ = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions_ = std::make_unique<_OX_POS_SETUP>();
    std::vector<ActionId> triggered_;
    std::vector<Posted> measured_;
};

TEST_F(BinderTest, MenusComeInTheirFixedOrderWithSubmenusAndSeparators) {
    QStringList titles;
    for (QAction* item : window_.findChild<QMenuBar*>()->actions())
        titles << item->text();
    EXPECT_EQ(titles, (QStringList{"&Control", "&Vertical", "&Horizontal", "&Analyze", "&Storage",
                                   "&Utility"}));
    EXPECT_EQ(Items(Menu("&Control")),
              (QStringList{"&Run", "&Stop", "Si&ngle", "&Auto", "-", "&Undo", "Re&do", "-",
                           "LAN Config", "&Connect"}));
    EXPECT_EQ(Items(Menu("&Vertical")).first(), "&Analog\tCtrl+1/2");
    EXPECT_EQ(Items(Menu("&Analyze")),
              (QStringList{"&Cursor", "&Horizontal Measure", "&Vertical Measure", "-",
                           "&All Measure", "C&lear Measure"}));
    const QList<QAction*> analyze = Menu("&Analyze")->actions();
    EXPECT_EQ(Items(analyze[0]->menu()),
              (QStringList{"&Auto Cursor", "&Manual Cursor", "&Track Cursor", "&None"}));
    const QStringList horizontal = Items(analyze[1]->menu());
    const QStringList vertical = Items(analyze[2]->menu());
    ASSERT_EQ(horizontal.size(), 10);
    ASSERT_EQ(vertical.size(), 10);
    EXPECT_EQ(horizontal.first(), "Period");
    EXPECT_EQ(horizontal.last(), "DelayB 1->2");
    EXPECT_EQ(vertical.first(), "Vmax");
    EXPECT_EQ(vertical.last(), "Preshoot");
    EXPECT_EQ(binder_->Action(ActionId::CursorTrack)->shortcut(), QKeySequence("Ctrl+T"));
}

TEST_F(BinderTest, EveryActionWithKeysNamesThemInItsTooltip) {
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        if (row.shortcut == nullptr) continue;
        EXPECT_TRUE(binder_->Action(row.id)->toolTip().contains(row.shortcut)) << row.objectName;
    }
    EXPECT_TRUE(binder_->Action(ActionId::AnalogDialog)->toolTip().endsWith("(Ctrl+1/2)"));
}

// Check marks follow the published state, never the click; undo and redo are enabled only
// when their slot has something to restore.
TEST_F(BinderTest, CheckMarksAndUndoStateFollowTheView) {
    QAction* vector = binder_->Action(ActionId::Vector);
    QAction* persistence = binder_->Action(ActionId::Persistence);
    EXPECT_TRUE(vector->isChecked()); // vectors are code 0
    EXPECT_FALSE(persistence->isChecked());
    EXPECT_FALSE(binder_->Action(ActionId::Undo)->isEnabled());
    EXPECT_FALSE(binder_->Action(ActionId::Redo)->isEnabled());

    persistence->trigger();
    EXPECT_FALSE(persistence->isChecked()) << "the mark waits for the instrument";
    EXPECT_EQ(triggered_, std::vector<ActionId>{ActionId::Persistence});

    view_.setup.nDisplayType = oxcmd::code::kDots;
    view_.setup.bDisplayPersist = 1;
    view_.setup.nCursorMode = oxcmd::code::kManualCursors;
    view_.undoAvailable = true;
    binder_->Refresh(view_);
    EXPECT_FALSE(vector->isChecked());
    EXPECT_TRUE(persistence->isChecked());
    EXPECT_TRUE(binder_->Action(ActionId::CursorManual)->isChecked());
    EXPECT_TRUE(binder_->Action(ActionId::Undo)->isEnabled());
    EXPECT_FALSE(binder_->Action(ActionId::Redo)->isEnabled());
}

TEST_F(BinderTest, ThePopMenuHoldsItsItemsInOrder) {
    EXPECT_EQ(Items(binder_->PopMenu()),
              (QStringList{"&Undo", "Re&do", "-", "Vector", "Grid", "-", "Real Time", "Equal Time",
                           "-", "Normal", "Averaging", "PeakDetect", "-", "Persistence",
                           "Color Grade", "Clear Persistence", "-", "Default"}));
    EXPECT_EQ(binder_->PopMenu()->actions().first(), binder_->Action(ActionId::Undo))
        << "the same undo as the Control menu's";
}

// One channel shown: the measurement is the window's to post. Both: the source menu asks.
TEST_F(BinderTest, AMeasurementAsksForItsSourceOnlyWhenBothChannelsAreShown) {
    binder_->Action(ActionId::MeasureVpp)->trigger();
    EXPECT_EQ(triggered_, std::vector<ActionId>{ActionId::MeasureVpp});
    EXPECT_TRUE(Measured().empty());

    triggered_.clear();
    view_.setup.bChanDisplay[1] = 1;
    binder_->Refresh(view_);
    binder_->Action(ActionId::MeasureFrequency)->trigger();
    EXPECT_TRUE(triggered_.empty());
    ASSERT_TRUE(binder_->SourceMenu()->isVisible());
    binder_->SourceMenu()->findChild<QAction*>("MEASURE_SOURCE_CH2")->trigger();
    const auto posted = Measured();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].sub, oxcmd::measure::kAdd);
    EXPECT_EQ(posted[0].value, 1);
    EXPECT_EQ(posted[0].low, 12u);
    binder_->SourceMenu()->hide();
}

TEST_F(BinderTest, ShortcutsFireOnceAndOnlyTheirOwnCombination) {
    ShowActive();
    QTest::keyClick(&window_, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&window_, Qt::Key_H, Qt::ControlModifier);
    QTest::keyClick(&window_, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&window_, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&window_, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(triggered_, (std::vector<ActionId>{ActionId::ReferenceDialog, ActionId::MathDialog,
                                                 ActionId::AllMeasure, ActionId::CursorAuto,
                                                 ActionId::Ch2Dialog}));
}

// A text field keeps its own editing keys, in the window and in a dialog of it.
TEST_F(BinderTest, TextFieldsKeepTheirOwnSelectAllAndUndo) {
    view_.undoAvailable = true;
    binder_->Refresh(view_);
    auto* field = new QLineEdit("12.5", &window_);
    window_.layout()->addWidget(field);
    ShowActive();
    field->setFocus();
    field->deselect();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), "12.5");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(triggered_.empty()) << oxact::Row(triggered_.front()).objectName;

    QDialog dialog(&window_);
    auto* entry = new QLineEdit("500u", &dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(entry->selectedText(), "500u");
    QTest::keyClick(entry, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(triggered_.empty()) << "no shortcut of the main window fired, not "
                                    << oxact::Row(triggered_.front()).objectName;
}

// The right button anywhere on the main window opens the context menu.
TEST(MainWindowPopMenu, TheRightButtonOpensItWithTheCurrentCheckMarks) {
    RunningOxbow oxbow({"--sim"});
    auto* pop = oxbow.Window().findChild<QMenu*>("PopMenu");
    ASSERT_NE(pop, nullptr);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(40, 40),
                            oxbow.Window().mapToGlobal(QPoint(40, 40)));
    QApplication::sendEvent(&oxbow.Window(), &event);
    EXPECT_TRUE(pop->isVisible());
    bool vectors = false;
    oxbow.UnderLock(
        [&] { vectors = oxbow.Objects().setup->nDisplayType == oxcmd::code::kVectors; });
    EXPECT_EQ(oxbow.Window().findChild<QAction*>("VECTOR")->isChecked(), vectors);
    pop->hide();
}

} // namespace
} // namespace oxapp::test
