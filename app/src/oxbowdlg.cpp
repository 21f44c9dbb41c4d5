#include "oxbowdlg.h"

#include "measurepanel.h"
#include "oxmsg.h"
#include "processobjects.h"
#include "scopemouse.h"
#include "session.h"
#include "storage.h"
#include "windowgeometry.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace oxapp {
namespace {

using oxbow::ui::InstrumentColours;

constexpr int kMainDialogTemplate = 102;
// How long a quit request waits for the exit command before it shuts down by itself.
constexpr int kQuitGraceMs = 3000;

// What the scope view shows is what the display engine presents: the composition shown
// straight from the engine's surface, the memory-status surface copied into the bar under it.
class ScopePresenter final : public oxdisplay::PresentTarget {
public:
    ScopePresenter(oxbow::ui::ScopeView& scope, oxbow::ui::ScopeView& bar)
        : scope_(scope), bar_(bar) {}
    bool Present(const Surface& composition, const Surface& status) override {
        return scope_.Show(composition) && bar_.Present(status);
    }
    void Release() override { scope_.Release(); }

private:
    oxbow::ui::ScopeView& scope_;
    oxbow::ui::ScopeView& bar_;
};

} // namespace

class COxbowDlg::TimerRequests final : public oxmsg::UiTimerRequests {
public:
    explicit TimerRequests(COxbowDlg& window) : window_(window) {}
    void StartTimer(int id, int milliseconds) override {
        QPointer<COxbowDlg> window(&window_);
        window_.ui_.Post([window, id, milliseconds] {
            if (window) window->StartTimer(id, milliseconds);
        });
    }

private:
    COxbowDlg& window_;
};

COxbowDlg::COxbowDlg(ProcessObjects& objects, oxbow::ui::UiThread& ui, QWidget* parent)
    : CCommonDlg(kMainDialogTemplate, parent), objects_(objects), ui_(ui),
      view_(std::make_unique<oxacq::RecordView>()), panel_(view_->setup) {
    for (int id = 0; id < kTimerCount; ++id) {
        connect(&timers_[id], &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    BuildWindow();
    dialogs_ = std::make_unique<DialogRequests>(DialogRequests::Host{
        this, this, &view_->setup, &view_->region, [this] { RefreshView(); }, &panel_,
        [this] {
            return QRect(scope_->mapToGlobal(scope_->PictureRect().topLeft()),
                         scope_->PictureRect().size());
        }});
    PlaceWindow();
    SetWindowAction(oxact::ActionId::Help, [this] { ShowHelp(); });
    SetWindowAction(oxact::ActionId::About, [this] { ShowAbout(); });
    session_ = std::make_unique<Session>(objects_, *this);
    mouse_ = new ScopeMouseInput(
        *scope_, [this]() -> const oxacq::RecordView& { return (RefreshView(), *view_); },
        session_->Requests(),
        [this](bool start) {
            start ? StartTimer(kTimerMarker, oxmouse::kHighlightHoldMs) : StopTimer(kTimerMarker);
        });
    storage_ = std::make_unique<StorageMenu>(*this, session_->Files());
    measurePanel_ =
        std::make_unique<MeasurePanel>(this, session_->Measurements(), session_->Snapshot());
    measurePanel_->CoverOnly(scope_);
    dialogs_->SetReadoutPanel(measurePanel_.get());
    SetWindowAction(oxact::ActionId::MeasurePanel, [this] { measurePanel_->Open(); });
    SetWindowAction(oxact::ActionId::AllMeasure, [this] {
        dialogs_->DestroyCurrent(); // the source dialog is modal: no control dialog beside it
        measurePanel_->OpenAllMeasurement();
    });
    timerRequests_ = std::make_unique<TimerRequests>(*this);
    oxmsg::SetUiTimerRequests(timerRequests_.get());
}

COxbowDlg::~COxbowDlg() {
    Unregister();
    StopEverything();
    oxmsg::SetUiTimerRequests(nullptr);
}

void COxbowDlg::BuildWindow() {
    setWindowTitle("OXBOW");
    SetTitleButtons(kMinimizeButton | kMaximizeButton | kCloseButton);
    SetResizable(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, kTitleHeight + 4, 8, 8);
    layout->setSpacing(6);
    actions_ = new ActionBinder(*this, [this](oxact::ActionId id) { OnAction(id); });
    layout->setMenuBar(actions_->BuildMenuBar(this));

    auto* row = new QHBoxLayout;
    row_ = row;
    auto* left = new QVBoxLayout;
    scope_ = new oxbow::ui::ScopeView(this);
    scope_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    scope_->installEventFilter(this);
    left->addWidget(scope_, 1);

    auto* statusRow = new QHBoxLayout;
    memoryBar_ = new oxbow::ui::ScopeView(this, oxdisplay::kStatusWidth, oxdisplay::kStatusHeight);
    memoryBar_->setFixedSize(oxdisplay::kStatusWidth, oxdisplay::kStatusHeight);
    runState_ = new oxbow::ui::RunStateField(this);
    clock_ = new oxbow::ui::ClockField(this);
    statusRow->addWidget(memoryBar_);
    statusRow->addSpacing(12);
    connection_ = new QLabel(this);
    connection_->setObjectName("CONNECTION");
    connection_->setFont(oxbow::ui::ReadoutFont(13));
    connection_->setStyleSheet(QString("color: %1;").arg(InstrumentColours::DimText.name()));
    statusRow->addWidget(connection_);
    statusRow->addStretch(1);
    statusRow->addWidget(runState_);
    statusRow->addSpacing(12);
    statusRow->addWidget(clock_);
    left->addLayout(statusRow);

    row->addLayout(left, 1);
    controls_ = new PanelControls(
        *actions_,
        [this]() -> const oxacq::RecordView& {
            RefreshView();
            return *view_;
        },
        this);
    controls_->Refresh(*view_);
    // A larger window grows the scope picture; the controls keep the width they need.
    controls_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    row->addWidget(controls_);
    layout->addLayout(row, 1);
}

void COxbowDlg::SetWindowAction(oxact::ActionId id, std::function<void()> action) {
    windowActions_[id] = std::move(action);
}

void COxbowDlg::OnAction(oxact::ActionId id) {
    RefreshView(); // the action decides on the newest state
    if (oxact::Row(id).plan != nullptr) {
        panel_.Perform(id);
        return;
    }
    const auto own = windowActions_.find(id);
    if (own != windowActions_.end())
        own->second();
    else
        oxact::RefuseAction(oxact::kNotAvailable);
}

void COxbowDlg::RefreshView() {
    // Whoever changed the records (panel, menu, mouse, undo, a dialog, a script), every
    // control that shows them, the open dialog's and the floating views' included, follows.
    if (session_ != nullptr && session_->Snapshot().Refresh(*view_)) {
        actions_->Refresh(*view_);
        controls_->Refresh(*view_);
        dialogs_->RefreshOpen();
        runState_->SetOffline(!view_->setup.bConnected);
        connection_->setText(QString::fromStdString(oxacq::ConnectionText(view_->setup)));
        if (measurePanel_ != nullptr) measurePanel_->Follow(view_->setup);
    }
}

bool COxbowDlg::OnInitDialog() {
    CCommonDlg::OnInitDialog();
    presenter_ = std::make_unique<ScopePresenter>(*scope_, *memoryBar_);
    if (!session_->CreateSurfaces(presenter_.get())) {
        done(kExitNoSurfaces);
        return true;
    }
    starting_ = true;
    // The surfaces exist: every display tick composes and presents from now on.
    session_->Requests().redrawAll = true;
    session_->StartUp();
    if (oxbow::DisplayLayer* layer = oxbow::InstalledDisplayLayer())
        layer->CurrentMode(recordedMode_);
    storage_->LoadAtStart(objects_.line);
    ShowDecodedSources(objects_.line.exports);
    if (objects_.line.run) panel_.Run();
    clock_->Refresh();
    StartTimer(kTimerClock, 10'000);
    StartTimer(kTimerFloat, 20);
    session_->Requests().clearBusy = true;
    starting_ = false;
    RefreshView();
    return true;
}

LRESULT COxbowDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == oxcmd::group::kPanel) {
        RefreshView();
        dialogs_->OnRequest(static_cast<oxcmd::Sub>(wParam), static_cast<long>(lParam));
        return 0;
    }
    if (message != oxcmd::group::kRunControl) return 0;
    RefreshView(); // published before the message was sent
    if (wParam == oxcmd::run::kRunStatusChanged) {
        runState_->SetRunStatus(static_cast<std::int32_t>(lParam));
        return 0;
    }
    OnIoNotify(static_cast<unsigned int>(wParam), static_cast<long>(lParam));
    dialogs_->OnCompletion(static_cast<oxcmd::Sub>(wParam));
    return 0;
}

void COxbowDlg::ShowRunState(const QString& text) {
    runState_->SetState({text, InstrumentColours::Green, text != "T'D"});
}

void COxbowDlg::OnIoNotify(unsigned int subCmd, long value) {
    if (subCmd == oxcmd::run::kStop) {
        StopTimer(kTimerErase);
        StopTimer(kTimerRunState);
        runState_->SetRunStatus(oxacq::kStatusStop);
        return;
    }
    if (subCmd == oxcmd::run::kShowError) {
        StartTimer(kTimerError, 2000);
        return;
    }
    if (storage_->OnIoNotify(subCmd, value)) return;
    const oxacq::NotifyActions actions = session_->Shell().OnIoNotify(subCmd, value);
    if (actions.shutdown) {
        // The I/O thread waits on this handler: the shutdown runs once it has returned.
        QMetaObject::invokeMethod(
            this, [this] { Shutdown(); }, Qt::QueuedConnection);
    }
    if (actions.startRunTimers) {
        StartTimer(kTimerErase, 100);
        StartTimer(kTimerRunState, 500);
        // Running again: live frames are to be fetched (applied by the I/O thread).
        session_->Requests().acquire = true;
    }
    if (actions.runStateText != nullptr) ShowRunState(actions.runStateText);
    if (actions.screenMode >= 0) ScreenMode(actions.screenMode);
    if (actions.redraw) update();
}

void COxbowDlg::ScreenMode(long value) {
    oxbow::DisplayLayer* layer = oxbow::InstalledDisplayLayer();
    oxbow::DisplayMode current;
    if (layer == nullptr || !layer->CurrentMode(current)) return;
    const bool recordedIsView = recordedMode_.width == 800 && recordedMode_.height == 600;
    bool maximise = value == 0;
    if (value != 0 && value != 1) maximise = !(current == recordedMode_); // re-check
    if (maximise && recordedIsView) return;
    oxbow::DisplayMode wanted = recordedMode_;
    if (maximise && !layer->EnumMode(1, wanted)) return; // mode 1: the 800 x 600 view
    if (current == wanted || !layer->ApplyMode(wanted)) return;
    session_->Requests().redrawAll = true;
    update(); // the title band's Maximize/Restore
}

void COxbowDlg::OnMaximizeButton() {
    const long mode =
        ShowsRestore() ? oxcmd::run::kScreenModeRestore : oxcmd::run::kScreenModeMaximise;
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kScreenMode, mode));
}

bool COxbowDlg::ShowsRestore() const {
    const oxbow::DisplayLayer* layer = oxbow::InstalledDisplayLayer();
    oxbow::DisplayMode current;
    return layer != nullptr && layer->CurrentMode(current) && !(current == recordedMode_);
}

void COxbowDlg::PlaceWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    setGeometry(FittedGeometry(LoadWindowGeometry(oxbow::SettingsStore::ForUser()), sizeHint(),
                               minimumSizeHint(), screen->availableGeometry()));
}

void COxbowDlg::KeepWindowPlace() {
    if (!isVisible()) return;
    // The 800 x 600 view is full screen: the place to come back to is the normal one.
    const QRect place = ShowsRestore() ? normalGeometry() : geometry();
    oxbow::SettingsStore store = oxbow::SettingsStore::ForUser();
    if (LoadWindowGeometry(store) != place && !SaveWindowGeometry(store, place))
        std::fprintf(stderr, "oxbow: could not keep the window's place in %s\n",
                     store.File().string().c_str());
}

void COxbowDlg::RestoreDisplayMode() {
    oxbow::DisplayLayer* layer = oxbow::InstalledDisplayLayer();
    oxbow::DisplayMode current;
    if (layer == nullptr || !layer->CurrentMode(current)) return;
    if (current.width != recordedMode_.width || current.height != recordedMode_.height)
        layer->ApplyMode(recordedMode_);
}

void COxbowDlg::SuspendWorkers() {
    session_->Workers().SuspendWorkers();
}
void COxbowDlg::ResumeWorkers() {
    session_->Workers().ResumeWorkers();
}

// Beside the program in a build tree; in the installed data folder otherwise.
QString COxbowDlg::HelpPath() {
    const QString dir = QCoreApplication::applicationDirPath() + "/";
    const QString beside = dir + "Oxbow.html";
    return QFileInfo::exists(beside) ? beside : QDir::cleanPath(dir + OXBOW_INSTALLED_HELP);
}

void COxbowDlg::ShowHelp() {
    // Without a browser (or without the page) the user is told where the page should be.
    const QString path = HelpPath();
    QString problem;
    if (!QFileInfo::exists(path))
        problem = "The help page is missing:";
    else if (!openUrl_(QUrl::fromLocalFile(path)))
        problem = "No web browser could be started to show the help page. Open it yourself:";
    if (problem.isEmpty()) return;
    oxbow::AskMessage({(problem + "\n" + path).toStdString(), "Oxbow", oxbow::MessageButtons::Ok,
                       oxbow::MessageIcon::Information, false});
}

void COxbowDlg::ShowAbout() {
    auto* box = new QMessageBox(QMessageBox::Information, oxacq::kAboutTitle,
                                QString::fromStdString(oxacq::AboutText(session_->Shell().Id())),
                                QMessageBox::Ok, this);
    box->setInformativeText("This program is provided as is, without warranty of any kind. "
                            "Check every measurement that matters against a second instrument.");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void COxbowDlg::StartTimer(int id, int milliseconds) {
    if (id < 0 || id >= kTimerCount) return;
    timers_[id].start(milliseconds);
}

void COxbowDlg::StopTimer(int id) {
    if (id >= 0 && id < kTimerCount) timers_[id].stop();
}

bool COxbowDlg::TimerActive(int id) const {
    return id >= 0 && id < kTimerCount && timers_[id].isActive();
}

void COxbowDlg::OnTimer(int id) {
    // Timers only raise requests; the I/O thread applies them under the lock.
    oxacq::AcqRequests& requests = session_->Requests();
    switch (id) {
    case kTimerErase:
        requests.eraseBeforeFrame = true;
        break;
    case kTimerMarker:
        requests.markerHighlightOff = true;
        StopTimer(id);
        break;
    case kTimerClock:
        clock_->Refresh();
        break;
    case kTimerRunState:
        runState_->Refresh();
        break;
    case kTimerError:
        requests.clearError = true;
        StopTimer(id);
        break;
    case kTimerAcquire:
        requests.acquire = true;
        StopTimer(id);
        break;
    case kTimerFloat:
        requests.floatDraw = true;
        RefreshView();
        break;
    case kTimerPlayback:
        requests.playbackTick = true;
        break;
    case kTimerSection:
        requests.redrawSection = true;
        break;
    case kTimerBusy:
        requests.clearBusy = true;
        StopTimer(id);
        break;
    case kTimerRecord:
        requests.recordNext = true;
        break;
    default:
        break;
    }
}

bool COxbowDlg::SaveScreenshot(const QString& path) const {
    return scope_->SaveImage(path);
}

void COxbowDlg::closeEvent(QCloseEvent* event) {
    // Closing ends the program through the exit command, like the Close button.
    if (!shutDown_) {
        event->ignore();
        panel_.Exit();
    }
}

void COxbowDlg::reject() {
    if (!shutDown_) panel_.Exit();
}

void COxbowDlg::moveEvent(QMoveEvent* event) {
    CCommonDlg::moveEvent(event);
    if (dialogs_ != nullptr) dialogs_->PlaceFloatingViews();
}

void COxbowDlg::resizeEvent(QResizeEvent* event) {
    CCommonDlg::resizeEvent(event);
    if (dialogs_ != nullptr) dialogs_->PlaceFloatingViews();
}

bool COxbowDlg::eventFilter(QObject* watched, QEvent* event) {
    // The scope view has its new size once the layout has placed everything.
    if (watched == scope_ && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(
            this, [this] { ShareWidthWithThePicture(); }, Qt::QueuedConnection);
    return CCommonDlg::eventFilter(watched, event);
}

// A window grown wider than its own size gives the picture the width that fills its height,
// taken from the controls down to the least they need; at its own size (or smaller) the
// controls keep their width and the picture its whole-multiple sharpness.
void COxbowDlg::ShareWidthWithThePicture() {
    const int across = row_->geometry().width() - row_->spacing();
    const int own = controls_->sizeHint().width();
    const int filling =
        scope_->height() * oxbow::ui::kScopePictureWidth / oxbow::ui::kScopePictureHeight;
    const int controls =
        across <= scope_->sizeHint().width() + own
            ? own
            : std::clamp(across - filling, controls_->minimumSizeHint().width(), own);
    if (controls != controls_->maximumWidth()) controls_->setMaximumWidth(controls);
}

void COxbowDlg::keyPressEvent(QKeyEvent* event) {
    // Esc brings the focus back to the window and never closes it.
    if (event->key() == Qt::Key_Escape) {
        setFocus();
        event->accept();
        return;
    }
    CCommonDlg::keyPressEvent(event);
}

void COxbowDlg::contextMenuEvent(QContextMenuEvent* event) {
    RefreshView(); // check marks of the newest state
    actions_->ShowPopMenu(event->globalPos());
    event->accept();
}

void COxbowDlg::StopEverything() {
    if (shutDown_) return;
    shutDown_ = true;
    KeepWindowPlace();
    RestoreDisplayMode();
    StopTimer(kTimerClock);
    StopTimer(kTimerErase);
    // Workers waiting on the UI thread are released before they are joined.
    ui_.BeginShutdown();
    settingsWritten_ = session_->Shutdown();
    for (auto& timer : timers_)
        timer.stop();
}

void COxbowDlg::RequestQuit() {
    if (shutDown_ || quitRequested_) return;
    quitRequested_ = true;
    panel_.Exit();
    QTimer::singleShot(kQuitGraceMs, this, [this] { ForceQuit(); });
}

void COxbowDlg::ForceQuit() {
    if (shutDown_) return;
    if (starting_) {
        QTimer::singleShot(kQuitGraceMs, this, [this] { ForceQuit(); });
        return;
    }
    Shutdown();
}

void COxbowDlg::Shutdown() {
    StopEverything();
    done(kExitCode);
}

} // namespace oxapp
