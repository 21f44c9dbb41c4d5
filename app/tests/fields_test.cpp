// The panel's value fields as a person uses them on the simulated instrument: they follow
// the instrument's values, the wheel steps them, a typed value reaches the instrument.
#include "oxcommon.h"
#include "oxdisplay.h"
#include "oxmsg.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <memory>

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>

namespace oxapp::test {
namespace {

using oxfield::FieldId;

ValueField& FieldOf(RunningOxbow& oxbow, FieldId id) {
    return *oxbow.Window().Controls().Field(id);
}

template <typename Read> auto Live(RunningOxbow& oxbow, Read read) {
    decltype(read(*oxbow.Objects().setup)) value{};
    oxbow.UnderLock([&] { value = read(*oxbow.Objects().setup); });
    return value;
}

void Roll(QWidget& widget, int notches, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF centre(widget.width() / 2.0, widget.height() / 2.0);
    QWheelEvent wheel(centre, widget.mapToGlobal(centre), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

void PressKey(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

// Types `text` into the entry dialog once it is up, and confirms it; sets `shown` then.
std::unique_ptr<QTimer> TypeIntoEntry(const QString& text, bool& shown) {
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, poll.get(), [timer = poll.get(), text, &shown] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        timer->stop();
        shown = true;
        dialog->findChild<QLineEdit*>()->setText(text);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    poll->start(10);
    return poll;
}

TEST(PanelFields, AFieldShowsTheNewValueOnceTheCommandCompleted) {
    RunningOxbow oxbow({"--sim"});
    ValueField& field = FieldOf(oxbow, FieldId::Ch1Scale);
    const float before = Live(oxbow, [](const _OX_SETUP& s) { return s.fChanScale[0]; });
    std::string expected;
    GetVertScaleString(expected, static_cast<float>(SetPreDefinedScale(before, true)), "V");
    oxbow.Window().findChild<QPushButton*>("CH1_UP")->click();
    EXPECT_TRUE(WaitFor([&] { return field.Text() == QString::fromStdString(expected); }, 3000))
        << "shows " << field.Text().toStdString() << ", expected " << expected;
}

TEST(PanelFields, TheWheelStepsScalesOneTwoFiveAndOffsetsByADivisionWithShift) {
    RunningOxbow oxbow({"--sim"});
    const double time = Live(oxbow, [](const _OX_SETUP& s) { return s.dTimeScale; });
    Roll(FieldOf(oxbow, FieldId::TimeScale), 1);
    EXPECT_TRUE(WaitFor(
        [&] {
            return std::abs(Live(oxbow, [](const _OX_SETUP& s) { return s.dTimeScale; }) -
                            SetPreDefinedScale(time, true)) < time * 1e-6;
        },
        3000));

    const float scale = Live(oxbow, [](const _OX_SETUP& s) { return s.fChanScale[0]; });
    const float offset = Live(oxbow, [](const _OX_SETUP& s) { return s.fChanOffset[0]; });
    Roll(FieldOf(oxbow, FieldId::Ch1Offset), -1, Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor(
        [&] {
            return std::abs(Live(oxbow, [](const _OX_SETUP& s) { return s.fChanOffset[0]; }) -
                            (offset - scale)) < scale * 1e-3;
        },
        3000));
}

TEST(PanelFields, ATypedTriggerLevelReachesTheInstrumentAndXYRefusesTheEntry) {
    RunningOxbow oxbow({"--sim"});
    ValueField& level = FieldOf(oxbow, FieldId::TrigLevel);
    bool shown = false;
    auto typing = TypeIntoEntry("300m", shown);
    PressKey(level, Qt::Key_Return);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(WaitFor(
        [&] {
            return std::abs(Live(oxbow, [](const _OX_SETUP& s) { return s.fEdgeLevel; }) - 0.3f) <
                   1e-3f;
        },
        3000));
    EXPECT_TRUE(WaitFor([&] { return level.Text() == "300mV"; }, 3000))
        << level.Text().toStdString();

    ASSERT_TRUE(OxPostInt(oxcmd::group::kTimebase, oxcmd::timebase::kFormat, 0, oxcmd::code::kXY));
    ASSERT_TRUE(WaitFor(
        [&] {
            return Live(oxbow, [](const _OX_SETUP& s) { return s.nTimeFormat; }) ==
                   oxcmd::code::kXY;
        },
        3000));
    shown = false;
    typing = TypeIntoEntry("100m", shown);
    PressKey(level, Qt::Key_Return);
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(shown) << "the entry opened in X-Y format";
    EXPECT_TRUE(WaitFor(
        [&] {
            return Live(oxbow, [](const _OX_SETUP& s) { return std::string(s.szSystemError); }) ==
                   oxact::kNotAtXY;
        },
        3000));
}

std::string ShownError(RunningOxbow& oxbow) {
    return Live(oxbow, [](const _OX_SETUP& s) { return std::string(s.szSystemError); });
}

// Typed into the field's entry and confirmed; waits for the message it brings.
void TypeInto(RunningOxbow& oxbow, FieldId id, const QString& text, const std::string& message) {
    bool shown = false;
    auto typing = TypeIntoEntry(text, shown);
    PressKey(FieldOf(oxbow, id), Qt::Key_Return);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(WaitFor([&] { return ShownError(oxbow) == message; }, 3000))
        << text.toStdString() << ": " << ShownError(oxbow);
}

// A scale of zero or below has no meaning: refused with a message, the instrument left as it
// was. A scale past the instrument's limit is still taken at the limit, and says so.
TEST(PanelFields, ScalesOutsideTheirDomainAreRefusedAndScalesPastALimitClamped) {
    RunningOxbow oxbow({"--sim"});
    const auto scales = [&] {
        return Live(oxbow, [](const _OX_SETUP& s) {
            return std::pair<float, double>(s.fChanScale[0], s.dTimeScale);
        });
    };
    const auto before = scales();
    TypeInto(oxbow, FieldId::Ch1Scale, "-1", "Volts/Div must be greater than 0");
    TypeInto(oxbow, FieldId::TimeScale, "-500u", "Time/Div must be greater than 0");
    TypeInto(oxbow, FieldId::TimeScale, "0", "Time/Div must be greater than 0");
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(scales(), before);

    TypeInto(oxbow, FieldId::TimeScale, "1p", "Time/Div at lower limit");
    TypeInto(oxbow, FieldId::Ch1Scale, "100", "Volts/Div at upper limit");
    EXPECT_TRUE(WaitFor([&] { return scales().first == 10.0f; }, 3000));
    EXPECT_LT(scales().second, before.second);
}

TEST(PanelLayout, TheWindowFitsA1280By800ScreenWithTheScopeViewWhole) {
    RunningOxbow oxbow({"--sim"});
    COxbowDlg& window = oxbow.Window();
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(least.width(), 1280);
    EXPECT_LE(least.height(), 800);
    window.resize(least);
    WaitFor([] { return false; }, 50);
    EXPECT_GE(window.Scope().width(), oxdisplay::kComposeWidth);
    EXPECT_GE(window.Scope().height(), oxdisplay::kComposeHeight);
}

} // namespace
} // namespace oxapp::test
