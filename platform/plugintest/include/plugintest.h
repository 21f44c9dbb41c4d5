// The fixture every plug-in dialog test uses: live records behind the real command
// handlers, the UI thread's copy of them in the dialog's context, and a record of every
// command that reaches the dispatcher.
#pragma once

#include "ox_commands.h"
#include "ox_records.h"
#include "oxplugin.h"
#include "plugindlg.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace oxbow::plugintest {

struct Posted {
    oxcmd::Group group;
    oxcmd::Sub sub;
    long value;
    std::uint32_t low;
    std::uint32_t high;

    [[nodiscard]] int AsInt() const { return static_cast<int>(low); }
    [[nodiscard]] bool AsBool() const { return (low & 0xff) != 0; }
    [[nodiscard]] float AsFloat() const;
    [[nodiscard]] double AsDouble() const;
    [[nodiscard]] bool Is(oxcmd::Group g, oxcmd::Sub s, long v = 0) const {
        return group == g && sub == s && value == v;
    }
};

// One numeric entry the dialog asked for.
struct EntryAsked {
    double current;
    ui::Entry entry;
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The context a dialog is opened with: the UI thread's copy and its refresh.
    [[nodiscard]] ui::PluginContext Context();
    // Opens a dialog through its Show function; it is destroyed at the end of the test.
    ui::CPluginDlg* Open(ui::ShowDialogFn show, long value = 0);

    // Runs the I/O thread's loop until the queue is empty, then publishes (below); what
    // reached the dispatcher.
    std::vector<Posted> Drain();
    // What the main window does when the records changed, whoever changed them: the dialogs'
    // copy follows the live records and every open dialog refreshes from it.
    void Publish();
    // Only the posts of the given group.
    static std::vector<Posted> Of(const std::vector<Posted>& posts, oxcmd::Group group);

    // The control `id` of the open dialog (fails the test when there is none).
    QWidget* Control(int id);
    void Click(int id);
    void Press(int id);
    void Release(int id);
    void ClickClose();
    // What control `id` shows: a field's or label's text, a button's checked state.
    QString Text(int id);
    bool Checked(int id);
    // Drains the queue, expecting exactly one command.
    Posted Only();
    // Grabs the open dialog as a person sees it; checks it painted at its size and, when
    // OXBOW_DIALOG_SHOTS names a folder, saves it there as NAME.png.
    void Shot(const char* name);
    // Destroys the open dialog the way the host does.
    void DestroyDialog();

    // The next numeric entry is answered with `value` (or cancelled).
    void AnswerEntry(double value) { answers_.push_back(value); }
    void CancelEntry() { answers_.push_back(std::nullopt); }
    std::vector<EntryAsked> entries;

private:
    std::unique_ptr<_OX_SETUP> live_ = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> liveRegion_ = std::make_unique<_OX_RGN_SETUP>();

protected:
    // The records as the command layer keeps them; the dialog sees them after a completion.
    _OX_SETUP& live = *live_;
    _OX_RGN_SETUP& liveRegion = *liveRegion_;

private:
    std::unique_ptr<_OX_POS_SETUP> positions_ = std::make_unique<_OX_POS_SETUP>();
    std::unique_ptr<_OX_SETUP> view_ = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> viewRegion_ = std::make_unique<_OX_RGN_SETUP>();
    std::vector<Posted> posted_;
    std::deque<std::optional<double>> answers_;
    ui::CPluginDlg* dialog_ = nullptr;
};

} // namespace oxbow::plugintest
