// The open dialog follows every change of the records, whoever made it: the panel's
// buttons, the mouse on the scope picture, a command that names no window.
#include "program_fixture.h"

#include "cursor.h"
#include "horizontal.h"

#include "ox_settings.h"
#include "oxcommon.h"
#include "plugindlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <memory>
#include <string>

namespace oxapp::test {
namespace {

namespace cmd = oxcmd::cmd;

class DialogRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitFor([&] { return Scope().PictureRect().width() > 0; }, 2000));
        ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 5000));
    }
    oxbow::ui::ScopeView& Scope() { return oxbow.Window().Scope(); }
    // Opens a dialog through its request, as the menu does.
    oxbow::ui::CPluginDlg* Open(oxcmd::Sub request) {
        EXPECT_TRUE(oxcmd::Post(cmd::panel::Request(request), {}));
        EXPECT_TRUE(WaitFor([&] { return oxbow.Window().Dialogs().Current() != nullptr; }, 3000));
        return dynamic_cast<oxbow::ui::CPluginDlg*>(oxbow.Window().Dialogs().Current());
    }
    template <class Id> static QString Text(oxbow::ui::CPluginDlg* dialog, Id id) {
        auto* field = qobject_cast<QLineEdit*>(dialog->Control(id));
        return field != nullptr ? field->text() : QString();
    }
    // Waits until the field shows something else than `before`; what it shows then.
    template <class Id>
    static QString Changed(oxbow::ui::CPluginDlg* dialog, Id id, const QString& before) {
        WaitFor([&] { return Text(dialog, id) != before; }, 3000);
        return Text(dialog, id);
    }
    oxacq::RecordView View() {
        auto view = std::make_unique<oxacq::RecordView>();
        oxbow.GetSession().Snapshot().Refresh(*view);
        return *view;
    }
    static QString TimeScale(double seconds) {
        std::string text;
        GetTimeScaleString(text, seconds);
        return QString::fromStdString(text);
    }

    RunningOxbow oxbow{{"--sim"}};
};

constexpr auto kMainScale = HorizontalId::MainScale;
constexpr auto kMainOffset = HorizontalId::MainOffset;

TEST_F(DialogRefresh, TheHorizontalDialogFollowsThePanelAndTheMouse) {
    oxbow::ui::CPluginDlg* dialog = Open(oxcmd::panel::kHorizontalDialog);
    ASSERT_NE(dialog, nullptr);
    const double scale = View().setup.dTimeScale;
    const QString before = Text(dialog, kMainScale);
    EXPECT_EQ(before, TimeScale(scale));

    // TIME ▲ on the front panel.
    auto* up = oxbow.Window().findChild<QPushButton*>("TIME_UP");
    ASSERT_NE(up, nullptr);
    up->click();
    EXPECT_EQ(Changed(dialog, kMainScale, before), TimeScale(SetPreDefinedScale(scale, true)));

    // The trigger-position marker dragged a division to the right.
    const QString offset = Text(dialog, kMainOffset);
    const OX_POINT marker = View().region.ptTrigPos[0];
    const QPoint press = InView(Scope(), {marker.x, marker.y - 7});
    Send(Scope(), QEvent::MouseMove, Qt::NoButton, Qt::NoButton, press);
    DragWith(Scope(), Qt::LeftButton, press,
             {press + QPoint(10, 0), press + QPoint(30, 0), press + QPoint(50, 0)});
    EXPECT_NE(Changed(dialog, kMainOffset, offset), offset);

    // A zoom box half the width of the screen.
    const QString zoomed = Text(dialog, kMainScale);
    DragWith(Scope(), Qt::MiddleButton, InView(Scope(), {191, 200}), {InView(Scope(), {541, 220})});
    EXPECT_NE(Changed(dialog, kMainScale, zoomed), zoomed);
    EXPECT_EQ(Text(dialog, kMainScale), TimeScale(View().setup.dTimeScale));
}

// The program has no gesture that drags a cursor (the press search knows the trace,
// trigger and delayed markers only); a cursor moved by a command that names no window, as
// a script's would, is shown by the open cursor dialog all the same.
TEST_F(DialogRefresh, TheManualCursorDialogFollowsACursorMovedFromOutside) {
    oxbow::ui::CPluginDlg* dialog = Open(oxcmd::panel::kManualCursorDialog);
    ASSERT_NE(dialog, nullptr);
    const QString before = Text(dialog, ManualCursorId::A);
    ASSERT_TRUE(oxcmd::Post(cmd::manualcursor::kXPosition, 2.5f, oxcmd::code::kCursorA));
    const QString after = Changed(dialog, ManualCursorId::A, before);
    EXPECT_NE(after, before);
    EXPECT_FLOAT_EQ(View().setup.fCurXA, 2.5f);
}

} // namespace
} // namespace oxapp::test
