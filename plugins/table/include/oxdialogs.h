// The dialog table: every control dialog the main window opens, one row each, and the two
// floating timebase views. A dialog library is registered here and nowhere else: its row
// names its request, the close requests it posts, its Show function and what the window
// does around it. The main window opens dialogs from this table, and one contract test
// (tests/contract_test.cpp) runs over every dialog in it.
#pragma once

#include "ox_commands.h"
#include "oxplugin.h"

#include <array>
#include <span>

namespace oxapp {

// Which read-outs of the measurement panel a dialog shows itself.
enum class OwnReadouts {
    None,
    Math,      // while a math trace is shown
    Reference, // while a reference trace is shown
    Cursor,
};

struct DialogRow {
    const char* name; // for people: test messages, picture files
    oxcmd::Sub request;
    std::array<oxcmd::Sub, 2> closes; // the close requests its dialog posts (0: unused); the
                                      // first is the one its close mark and Escape post
    oxbow::ui::ShowDialogFn show;     // null: the dialog is not built in
    OwnReadouts readouts;
    bool suppressesFloatingViews; // the dialog shows the time bases itself
};

// Every dialog request, one row each.
[[nodiscard]] std::span<const DialogRow> DialogTable();

// The two floating views of the delayed time base (main and delayed, or CH1 and CH2 under
// the alternate trigger).
struct FloatingViewFns {
    static constexpr const char* kDelayedName = "float-delayed";
    static constexpr const char* kMainName = "float-main";
    oxbow::ui::ShowDialogFn delayed = nullptr;
    oxbow::ui::ShowDialogFn main = nullptr;
};
[[nodiscard]] FloatingViewFns FloatingViewTable();

} // namespace oxapp
