// COxbowDlg: the main window. It runs the start-up sequence, owns the display engine, the
// acquisition and the three workers, keeps the window's timers, turns the front-panel
// controls into I/O commands and answers the command layer's completion messages
// (OnIoNotify). Shutdown writes the settings, stops and joins the workers and ends the
// dialog with exit code 18.
#pragma once

#include "actionbinder.h"
#include "cwnd.h"
#include "dialogrequests.h"
#include "exitcodes.h"
#include "frontpanel.h"
#include "oxbowui.h"
#include "oxsnapshot.h"
#include "panelcontrols.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include <array>
#include <functional>
#include <map>
#include <memory>

class QHBoxLayout;
class QLabel;
class QMenuBar;

namespace oxapp {

struct ProcessObjects;
class ScopeMouseInput;
class Session;
class StorageMenu;
class MeasurePanel;
} // namespace oxapp
namespace oxdisplay {
class PresentTarget;
}
namespace oxapp {

// Timer ids of the main window.
enum TimerId {
    kTimerErase = 0,
    kTimerMarker = 1,
    kTimerClock = 2,
    kTimerRunState = 5,
    kTimerError = 7,
    kTimerAcquire = 8,
    kTimerFloat = 9,
    kTimerPlayback = 10,
    kTimerSection = 11,
    kTimerBusy = 12,
    kTimerRecord = 13,
    kTimerCount = 14
};

class COxbowDlg : public CCommonDlg, public CWnd {
    Q_OBJECT
public:
    COxbowDlg(ProcessObjects& objects, oxbow::ui::UiThread& ui, QWidget* parent = nullptr);
    ~COxbowDlg() override;

    // Handler of the completion message 3125.
    void OnIoNotify(unsigned int subCmd, long value);
    void SuspendWorkers();
    void ResumeWorkers();
    // Opens the help page in the desktop's browser; says where the page is when that fails.
    void ShowHelp();
    // How ShowHelp opens the page (QDesktopServices::openUrl unless a test replaces it).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
    // The about box, window-modal; it closes itself.
    void ShowAbout();
    // Rows of the action table without a plan are carried out by the window itself: the
    // part of the window that does one registers it here. A row with neither shows
    // "Function not available".
    void SetWindowAction(oxact::ActionId id, std::function<void()> action);

    // Starts (or restarts) one of the window's timers with the given period.
    void StartTimer(int id, int milliseconds);
    void StopTimer(int id);
    bool TimerActive(int id) const;

    // The front panel, deciding on the newest state of the records.
    FrontPanel& Panel() {
        RefreshView();
        return panel_;
    }
    // The control dialogs: the one open, its requests, the floating views.
    DialogRequests& Dialogs() { return *dialogs_; }
    oxbow::ui::ScopeView& Scope() { return *scope_; }
    oxbow::ui::RunStateField& RunState() { return *runState_; }
    PanelControls& Controls() { return *controls_; }
    Session& GetSession() { return *session_; }
    // The Storage menu's file items and the command line's files.
    StorageMenu& Storage() { return *storage_; }
    // The floating measurement panel (its "All Measurement" dialog: OpenAllMeasurement).
    MeasurePanel& Measurements() { return *measurePanel_; }
    // The composed picture as last presented; false when it could not be written.
    bool SaveScreenshot(const QString& path) const;
    // The path of the help page beside the program.
    static QString HelpPath();
    // True once the shutdown sequence has run.
    bool ShutDown() const { return shutDown_; }
    // True when that shutdown wrote the settings file.
    bool SettingsWritten() const { return settingsWritten_; }
    // The program is to end however it stands (--quit-after, SIGTERM, SIGINT): the exit
    // command ends it through the normal shutdown. Should the I/O thread not get to it in
    // time, the same shutdown runs here once the start-up is over.
    void RequestQuit();

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void closeEvent(QCloseEvent* event) override;
    // The skin's close mark: the exit command, like the Close button.
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    // The floating timebase views follow the window.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The scope view's resizes share the window's width between the picture and the controls.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Maximize/Restore through the screen-mode command (the 800 x 600 view).
    void OnMaximizeButton() override;
    // While the screen shows the 800 x 600 view rather than the recorded mode.
    bool ShowsRestore() const override;
    // The right button anywhere on the window opens the context menu.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildWindow();
    void ShareWidthWithThePicture();
    // Every menu item, button and shortcut ends here, with its row of the action table.
    void OnAction(oxact::ActionId id);
    // The UI thread's copy of the records, and the controls that show it.
    void RefreshView();
    void OnTimer(int id);
    void ShowRunState(const QString& text);
    // Opens at the place the user left the window (fitted to the screen); keeps it at the end.
    void PlaceWindow();
    void KeepWindowPlace();
    void ScreenMode(long value);
    // Shutdown: a screen left in the 800 x 600 view is put back to the recorded mode.
    void RestoreDisplayMode();
    // The shutdown sequence, then the dialog ends with exit code 18.
    void Shutdown();
    // Restores the screen, saves the settings, stops and joins the workers (once).
    void StopEverything();
    // The shutdown of a quit request that the exit command did not bring in time.
    void ForceQuit();

    ProcessObjects& objects_;
    oxbow::ui::UiThread& ui_;
    std::unique_ptr<oxacq::RecordView> view_;
    FrontPanel panel_;
    std::unique_ptr<DialogRequests> dialogs_;
    ActionBinder* actions_ = nullptr;
    PanelControls* controls_ = nullptr;
    oxbow::ui::ScopeView* scope_ = nullptr;
    oxbow::ui::ScopeView* memoryBar_ = nullptr;
    oxbow::ui::RunStateField* runState_ = nullptr;
    oxbow::ui::ClockField* clock_ = nullptr;
    QLabel* connection_ = nullptr; // the link and the instrument, in the status bar
    QHBoxLayout* row_ = nullptr;   // the scope's column beside the controls
    std::map<oxact::ActionId, std::function<void()>> windowActions_;
    std::array<QTimer, kTimerCount> timers_;
    // The command layer asks for timer 8 from the I/O thread: the start is posted here.
    class TimerRequests;
    std::unique_ptr<TimerRequests> timerRequests_;
    std::unique_ptr<oxdisplay::PresentTarget> presenter_;
    std::unique_ptr<Session> session_;
    ScopeMouseInput* mouse_ = nullptr; // owned by the scope view
    std::unique_ptr<StorageMenu> storage_;
    std::unique_ptr<MeasurePanel> measurePanel_;
    oxbow::DisplayMode recordedMode_;
    bool shutDown_ = false;
    bool settingsWritten_ = false;
    bool starting_ = false; // inside OnInitDialog (a link question may be up)
    bool quitRequested_ = false;
    std::function<bool(const QUrl&)> openUrl_ = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
};

} // namespace oxapp
