// Runs Oxbow's main window in the test process (offscreen), on the simulated instrument
// or a LAN address, with scripted message boxes, and reads back what it shows.
#pragma once

#include "oxbowdlg.h"
#include "processobjects.h"
#include "session.h"
#include "test_time.h"
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>

#include <sys/types.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPoint>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace oxapp::test {

QApplication& App();

// Processes events until `done` holds or `ms` milliseconds (scaled by TestTimeScale) have
// passed; true when it held.
bool WaitFor(const std::function<bool()>& done, int ms);

// Rows of the plot area that hold pixels of `colour`, and their extent.
struct TraceRows {
    int top = -1;    // first row with a trace pixel (-1: none)
    int bottom = -1; // last such row
    int count = 0;   // trace pixels found
};
TraceRows FindTraceRows(const QImage& picture, const OX_RECT& plot, std::uint32_t colour);

// The mouse on the scope view, in picture pixels, as the window system delivers it.
QPoint InView(oxbow::ui::ScopeView& view, OX_POINT p);
void Send(oxbow::ui::ScopeView& view, QEvent::Type type, Qt::MouseButton button,
          Qt::MouseButtons held, const QPoint& at);
void DragWith(oxbow::ui::ScopeView& view, Qt::MouseButton button, const QPoint& from,
              const std::vector<QPoint>& through);

// Which setup a --sim start begins with: the power-up one, so that tests never see what
// an earlier test left in the state file, or the kept one, as a user's start does.
enum class SimSetup { PowerUp, Kept };

class RunningOxbow {
public:
    explicit RunningOxbow(const std::vector<std::string>& args,
                          SimSetup simSetup = SimSetup::PowerUp);
    ~RunningOxbow();

    COxbowDlg& Window() { return *dlg_; }
    ProcessObjects& Objects() { return *objects_; }
    Session& GetSession() { return dlg_->GetSession(); }
    // Runs `read` while holding the workers' lock (never blocking the UI thread for long).
    void UnderLock(const std::function<void()>& read);
    // Posts CH1's scale (V/div) with its offset at 0 V, and the time scale (s/div), as
    // the scale and offset fields would.
    void SetScales(float voltsPerDiv, double secondsPerDiv);
    QImage Picture() { return dlg_->Scope().Grab(); }
    TraceRows Ch1Rows();
    // STOP, then waits for the full-memory read and "STOP" in the run-state field, and gives
    // the stopped redraw a moment. False when no record was read within 5 s.
    bool StopAndReadRecord();
    oxbow::ScriptedMessageBoxes& Boxes() { return boxes_; }

private:
    oxbow::ScriptedMessageBoxes boxes_;
    oxbow::ScopedMessageBoxes installed_{boxes_};
    std::unique_ptr<ProcessObjects> objects_;
    std::unique_ptr<oxbow::ui::UiThread> ui_;
    std::unique_ptr<oxbow::ui::ScopedQtMessageRoute> route_;
    std::unique_ptr<COxbowDlg> dlg_;
};

// A private XDG_CONFIG_HOME for a test's starts: tests run side by side, and each one that
// reads back what it wrote (Oxbow.ini, the simulator's state file) needs its own folder.
class PrivateConfigHome {
public:
    PrivateConfigHome() {
        if (const char* value = std::getenv("XDG_CONFIG_HOME")) previous_ = value;
        ::setenv("XDG_CONFIG_HOME", folder_.path().toLocal8Bit().constData(), 1);
    }
    ~PrivateConfigHome() {
        if (previous_)
            ::setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }
    PrivateConfigHome(const PrivateConfigHome&) = delete;
    PrivateConfigHome& operator=(const PrivateConfigHome&) = delete;

private:
    QTemporaryDir folder_;
    std::optional<std::string> previous_;
};

// The simulator's LAN server as a child process on a free loopback port. Started with
// posix_spawn, which the thread checker of the sanitizer build follows: a child started
// by QProcess borrows this process's memory until it runs the program, and the checker
// loses track of the locks this thread takes from then on.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& options);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    int Port() const { return port_; }
    void Kill();

private:
    // Reads the child's output until it names its port; 0 when it did not within `ms`.
    int ReadPort(int ms);

    pid_t pid_ = -1;
    int output_ = -1; // read end of the child's standard output
    int port_ = 0;
};

} // namespace oxapp::test
