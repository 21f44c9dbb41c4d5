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

QWidget* OpenDialog(RunningOxbow& oxbow, const char* action) {
    oxbow.Window().findChild<QAction*>(action)->trigger();
    if (!WaitFor([&] { return oxbow.Window().Dialogs().Current() != nullptr; }, 3000))
        return nullptr;
    auto* dialog = dynamic_cast<QWidget*>(oxbow.Window().Dialogs().Current());
    if (dialog == nullptr) return nullptr;
    dialog->activateWindow();
    return QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
}

// The focused window as the window system delivers a key to it.
void Key(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) target = QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
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
    ASSERT_NE(OpenDialog(oxbow, "HORIZONTAL_DIALOG"), nullptr);
    const CWnd* horizontal = oxbow.Window().Dialogs().Current();
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, running, false))
        << "Ctrl+S did not stop with the Horizontal dialog focused";
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor(
        [&] {
            const CWnd* now = oxbow.Window().Dialogs().Current();
            return now != nullptr && now != horizontal;
        },
        3000))
        << "Ctrl+Q did not open Acquire with the Horizontal dialog focused";

    // Acquire focused: Ctrl+M opens the manual cursor dialog; from it Ctrl+T the tracking
    // one and F1 the help.
    auto* acquire = dynamic_cast<QWidget*>(oxbow.Window().Dialogs().Current());
    ASSERT_NE(acquire, nullptr);
    acquire->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(acquire));
    Key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, cursorMode, oxcmd::code::kManualCursors));
    auto* cursors = dynamic_cast<QWidget*>(oxbow.Window().Dialogs().Current());
    ASSERT_NE(cursors, nullptr);
    ASSERT_NE(cursors, acquire);
    cursors->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(cursors));
    Key(Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(helpOpened, 1);
    Key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(Becomes(oxbow, cursorMode, oxcmd::code::kTrackCursors));
}

// SINGLE (its key from the main window): the sweep becomes single, one acquisition is
// taken, and the instrument stops by itself with the record read.
TEST(Keys, SingleTakesOneAcquisitionAndStops) {
    RunningOxbow oxbow({"--sim"});
    QWidget& window = oxbow.Window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_FALSE(Live(oxbow, [](const _OX_SETUP& s) { return s.bRun; }));
    WaitFor([] { return false; }, 500); // the start-up's own record read is over
    oxbow.UnderLock([&] { oxbow.GetSession().Acquisition().Counters().recordBytes = 0; });
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
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
