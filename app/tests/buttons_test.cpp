// The panel as a person uses it: buttons pressed one after another while the instrument runs.
// Under ThreadSanitizer this is the test that exercises the UI thread, the I/O thread and the
// poll thread together.
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>

namespace oxapp::test {
namespace {

void Press(RunningOxbow& oxbow, const char* name) {
    auto* button = oxbow.Window().findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

float Ch1Scale(RunningOxbow& oxbow) {
    float scale = 0;
    oxbow.UnderLock([&] { scale = oxbow.Objects().setup->fChanScale[0]; });
    return scale;
}

TEST(PanelButtons, PressedWhileRunningTheyChangeTheInstrumentAndItKeepsDrawing) {
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,4Vpp"});
    Press(oxbow, "RUN");
    ASSERT_TRUE(WaitFor([&] { return oxbow.Ch1Rows().count > 0; }, 3000)) << "no frames drawn";

    const float before = Ch1Scale(oxbow);
    const char* sequence[] = {"TIME_UP", "CH1_UP", "CH2", "TIME_DOWN", "CH2_DOWN", "CH2",
                              "CH2_UP",  "STOP",   "RUN", "CH1_DOWN",  "AUTO",     "RUN"};
    for (const char* name : sequence) {
        Press(oxbow, name);
        WaitFor([] { return false; }, 150); // the panel stays live meanwhile
    }
    for (int i = 0; i < 4; ++i) {
        Press(oxbow, "CH1_UP");
        WaitFor([] { return false; }, 100);
    }
    EXPECT_TRUE(WaitFor([&] { return Ch1Scale(oxbow) > before; }, 5000))
        << "CH1 V/div stayed at " << before;
    EXPECT_TRUE(WaitFor([&] { return oxbow.Ch1Rows().count > 0; }, 3000)) << "drawing stopped";
}

TEST(PanelButtons, MenusAndShortcutsComeFromTheActionTable) {
    RunningOxbow oxbow({"--sim"});
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        auto* action = oxbow.Window().findChild<QAction*>(row.objectName);
        ASSERT_NE(action, nullptr) << row.objectName;
        if (row.shortcut != nullptr) {
            EXPECT_EQ(action->shortcut(), QKeySequence(row.shortcut));
        }
        if (row.button != nullptr) {
            auto* button = oxbow.Window().findChild<QPushButton*>(row.objectName);
            ASSERT_NE(button, nullptr) << row.objectName;
            EXPECT_TRUE(button->toolTip().startsWith(row.tip)) << row.objectName;
        }
    }
}

} // namespace
} // namespace oxapp::test
