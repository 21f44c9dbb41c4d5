// The fixture every plug-in dialog test uses: live records behind the real command
// handlers, the UI thread's copy of them in the dialog's context, and a record of every
// command that reaches the dispatcher.
#pragma once

#include "ox_commands.h"
#include "ox_records.h"
#include "ox_settings.h"
#include "oxplugin.h"
#include "plugindlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace oxbow::plugintest {

// A command as it reached the dispatcher, read through its descriptor:
// `p.Is(cmd::timebase::kMainScale)`, `p.Arg(cmd::timebase::kMainScale)`.
using Posted = oxcmd::Dispatched;

// One numeric entry the dialog asked for.
struct EntryAsked {
    double current;
    ui::Entry entry;
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The context a dialog is opened with: the UI thread's copy and its refresh, the close
    // request its close mark posts.
    [[nodiscard]] ui::PluginContext Context(oxcmd::Sub closeRequest = 0);
    // Opens a dialog through its Show function; it is destroyed at the end of the test.
    ui::CPluginDlg* Open(ui::ShowDialogFn show, long value = 0, oxcmd::Sub closeRequest = 0);

    // Runs the I/O thread's loop until the queue is empty, then publishes (below); what
    // reached the dispatcher.
    std::vector<Posted> Drain();
    // What the main window does when the records changed, whoever changed them: the dialogs'
    // copy follows the live records and every open dialog refreshes from it.
    void Publish();
    // Only the posts of the given group.
    static std::vector<Posted> Of(const std::vector<Posted>& posts, oxcmd::Group group);

    // The control `id` (its dialog's enum) of the open dialog (fails the test when there is
    // none).
    template <class Id> QWidget* Control(Id id) { return ControlOf(static_cast<int>(id)); }
    template <class Id> void Click(Id id) { ClickOn(ControlOf(static_cast<int>(id))); }
    template <class Id> void Press(Id id) { PressOn(ControlOf(static_cast<int>(id))); }
    template <class Id> void Release(Id id) { ReleaseOn(ControlOf(static_cast<int>(id))); }
    // What control `id` shows: a field's or label's text, a button's checked state.
    template <class Id> QString Text(Id id) { return TextOf(ControlOf(static_cast<int>(id))); }
    template <class Id> bool Checked(Id id) { return CheckedOf(ControlOf(static_cast<int>(id))); }
    void ClickClose();
    static void ClickOn(QWidget* control);
    static void PressOn(QWidget* control);
    static void ReleaseOn(QWidget* control);
    static QString TextOf(QWidget* control);
    static bool CheckedOf(QWidget* control);
    // One tick of every spin repeat running (the tests' timer, never real time).
    void RepeatTick();
    // Drains the queue, expecting exactly one command.
    Posted Only();
    // Grabs the open dialog as a person sees it; checks it painted at its size and, when
    // OXBOW_DIALOG_SHOTS names a folder, saves it there as NAME.png.
    void Shot(const char* name);
    // The open dialog as a person sees it, checked to be painted at its size.
    QImage Painted();
    [[nodiscard]] ui::CPluginDlg* Dialog() const { return dialog_; }
    // The dialogs' fonts are this many times the application's (for the large-font checks).
    double fontScale = 1.0;
    // Destroys the open dialog the way the host does.
    void DestroyDialog();

    // The next numeric entry is answered with `value` (or cancelled).
    void AnswerEntry(double value) { answers_.push_back(value); }
    void CancelEntry() { answers_.push_back(std::nullopt); }
    std::vector<EntryAsked> entries;

private:
    QWidget* ControlOf(int id);
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
