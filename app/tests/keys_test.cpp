// The keyboard on the running program: the main window's shortcuts from its other windows,
// the focus frame of the value fields and the SINGLE key.
#include "program_fixture.h"

#include "instrumentstyle.h"
#include "valuefield.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace oxapp::test {
namespace {

template <typename Read> auto Live(RunningOxbow& oxbow, Read read) {
    decltype(read(*oxbow.Objects().setup)) value{};
    oxbow.UnderLock([&] { value = read(*oxbow.Objects().setup); });
    return value;
}

QWidget* CurrentDialog(RunningOxbow& oxbow) {
    return dynamic_cast<QWidget*>(oxbow.Window().Dialogs().Current());
}

QWidget* OpenDialog(RunningOxbow& oxbow, const char* action) {
    oxbow.Window().findChild<QAction*>(action)->trigger();
    WaitFor([&] { return CurrentDialog(oxbow) != nullptr; }, 3000);
    return CurrentDialog(oxbow);
}

// A key typed into `window`, made the active window first (as the user's click would), as
// the window system delivers it: to its focused widget.
void Key(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(window, nullptr);
    if (!window->isActiveWindow()) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// Waits until the instrument's record shows `wanted` as read by `read`.
template <typename Read, typename Value>
bool Becomes(RunningOxbow& oxbow, Read read, Value wanted) {
    return WaitFor([&] { return Live(oxbow, read) == wanted; }, 3000);
}

TEST(Keys, TheMainWindowsShortcutsWorkWhileItsDialogsHaveTheFocus) {
    RunningOxbow oxbow({"--sim", "--run"});
    const auto running = [](const _OX_SETUP& s) { return s.bRun != 0; };
    const auto cursorMode = [](const _OX_SETUP& s) { return s.nCursorMode; };
    ASSERT_TRUE(Becomes(oxbow, running, true));
    int helpOpened = 0;
    oxbow.Window().SetUrlOpener([&](const QUrl&) { return ++helpOpened, true; });

    // Horizontal focused: Ctrl+S stops, Ctrl+Q opens Acquire in its place.
    QWidget* horizontal = OpenDialog(oxbow, "HORIZONTAL_DIALOG");
    ASSERT_NE(horizontal, nullptr);
    Key(horizontal, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, running, false)) << "Ctrl+S did not stop with Horizontal focused";
    Key(horizontal, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor(
        [&] {
            QWidget* now = CurrentDialog(oxbow);
            return now != nullptr && now != horizontal;
        },
        3000))
        << "Ctrl+Q did not open Acquire with Horizontal focused";

    // Acquire focused: Ctrl+M opens the manual cursor dialog; from it F1 the help and Ctrl+T
    // the tracking cursors.
    QWidget* acquire = CurrentDialog(oxbow);
    Key(acquire, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, cursorMode, oxcmd::code::kManualCursors));
    QWidget* cursors = CurrentDialog(oxbow);
    ASSERT_NE(cursors, acquire);
    Key(cursors, Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(helpOpened, 1);
    Key(cursors, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, cursorMode, oxcmd::code::kTrackCursors));
}

// SINGLE (its key from the main window): the sweep becomes single, one acquisition is
// taken, and the instrument stops by itself with the record read.
TEST(Keys, SingleTakesOneAcquisitionAndStops) {
    RunningOxbow oxbow({"--sim"});
    ASSERT_FALSE(Live(oxbow, [](const _OX_SETUP& s) { return s.bRun; }));
    WaitFor([] { return false; }, 500); // the start-up's own record read is over
    oxbow.UnderLock([&] { oxbow.GetSession().Acquisition().Counters().recordBytes = 0; });
    Key(&oxbow.Window(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Becomes(
        oxbow, [](const _OX_SETUP& s) { return s.nTrigSweep; }, oxcmd::code::kSweepSingle));
    int recordBytes = 0;
    EXPECT_TRUE(WaitFor(
        [&] {
            oxbow.UnderLock(
                [&] { recordBytes = oxbow.GetSession().Acquisition().Counters().recordBytes; });
            return recordBytes > 0 && oxbow.Window().RunState().Text() == "STOP";
        },
        6000))
        << "run state " << oxbow.Window().RunState().Text().toStdString();
    EXPECT_TRUE(oxbow.Window().findChild<QPushButton*>("SINGLE")->isChecked());
}

// Tab moves the focus through the value fields; the focused one alone wears the focus frame
// all round.
TEST(Keys, TheFocusedValueFieldIsFramed) {
    RunningOxbow oxbow({"--sim"});
    QWidget& window = oxbow.Window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ValueField& scale = *oxbow.Window().Controls().Field(oxfield::FieldId::Ch1Scale);
    ValueField& offset = *oxbow.Window().Controls().Field(oxfield::FieldId::Ch1Offset);
    const auto framed = [](ValueField& field) {
        const QImage image = field.grab().toImage();
        const QRgb focus = oxbow::ui::InstrumentColours::Accent.rgb();
        const int w = image.width();
        const int h = image.height();
        for (int edge = 0; edge < ValueField::kFocusFrame; ++edge) {
            for (const QPoint p : {QPoint(w / 2, edge), QPoint(w / 2, h - 1 - edge),
                                   QPoint(edge, h / 2), QPoint(w - 1 - edge, h / 2)}) {
                if (image.pixel(p) != focus) return false;
            }
        }
        return true;
    };
    scale.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(WaitFor([&] { return scale.hasFocus(); }, 1000));
    EXPECT_TRUE(framed(scale));
    EXPECT_FALSE(framed(offset));
    QTest::keyClick(&scale, Qt::Key_Tab);
    ASSERT_TRUE(WaitFor([&] { return !scale.hasFocus(); }, 1000));
    EXPECT_FALSE(framed(scale));
    QWidget* next = QApplication::focusWidget();
    auto* field = qobject_cast<ValueField*>(next);
    ASSERT_NE(field, nullptr) << "Tab left the value fields";
    EXPECT_TRUE(framed(*field));
}

} // namespace
} // namespace oxapp::test
