#include "program_fixture.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QThread>

#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace oxapp::test {

namespace {

// Ends the application once the tests are over, before the static objects go: destroyed
// among them it would go after Qt's own, and a pointer device made by the first enter
// event would crash the exit.
class ApplicationEnd final : public ::testing::Environment {
public:
    explicit ApplicationEnd(QApplication* app) : app_(app) {}
    void TearDown() override { delete app_; }

private:
    QApplication* app_;
};

} // namespace

QApplication& App() {
    static int argc = 1;
    static char name[] = "oxbow_shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* made = new QApplication(argc, argv);
        ::testing::AddGlobalTestEnvironment(new ApplicationEnd(made));
        return made;
    }();
    return *app;
}

// Where a picture pixel lies in the scope view, each axis at its own scale.
QPoint InView(oxbow::ui::ScopeView& view, OX_POINT p) {
    const QRect area = view.PictureRect();
    const double across = static_cast<double>(area.width()) / oxbow::ui::kScopePictureWidth;
    const double down = static_cast<double>(area.height()) / oxbow::ui::kScopePictureHeight;
    return {area.left() + static_cast<int>((p.x + 0.5) * across),
            area.top() + static_cast<int>((p.y + 0.5) * down)};
}

// A mouse event as the window system delivers it to the view, from a device of the test's
// own (the default one would be made on demand and outlive the application at exit).
void Send(oxbow::ui::ScopeView& view, QEvent::Type type, Qt::MouseButton button,
          Qt::MouseButtons held, const QPoint& at) {
    static const QPointingDevice* const mouse = [] {
        auto* device = new QPointingDevice("test mouse", 1, QInputDevice::DeviceType::Mouse,
                                           QPointingDevice::PointerType::Generic,
                                           QInputDevice::Capability::Position, 1, 3);
        device->setParent(&App()); // gone with the application
        return device;
    }();
    QMouseEvent event(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier, mouse);
    QApplication::sendEvent(&view, &event);
}

void DragWith(oxbow::ui::ScopeView& view, Qt::MouseButton button, const QPoint& from,
              const std::vector<QPoint>& through) {
    Send(view, QEvent::MouseButtonPress, button, button, from);
    for (const QPoint& at : through)
        Send(view, QEvent::MouseMove, Qt::NoButton, button, at);
    Send(view, QEvent::MouseButtonRelease, button, Qt::NoButton, through.back());
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    const int limit = ScaledMs(ms);
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

TraceRows FindTraceRows(const QImage& picture, const OX_RECT& plot, std::uint32_t colour) {
    TraceRows rows;
    for (int y = plot.top; y < plot.bottom && y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = plot.left; x < plot.right && x < picture.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) != colour) continue;
            if (rows.top < 0) rows.top = y;
            rows.bottom = y;
            ++rows.count;
        }
    }
    return rows;
}

RunningOxbow::RunningOxbow(const std::vector<std::string>& args, SimSetup simSetup) {
    App();
    CommandLine line;
    std::string error;
    if (ParseCommandLine(args, line, error) != ParseOutcome::Start) throw std::runtime_error(error);
    if (simSetup == SimSetup::PowerUp) line.simFresh = true;
    objects_ = std::make_unique<ProcessObjects>(line);
    ui_ = std::make_unique<oxbow::ui::UiThread>();
    route_ = std::make_unique<oxbow::ui::ScopedQtMessageRoute>(*ui_);
    dlg_ = std::make_unique<COxbowDlg>(*objects_, *ui_);
    dlg_->show();
}

RunningOxbow::~RunningOxbow() {
    dlg_.reset();
    route_.reset();
    ui_.reset();
    objects_.reset();
}

void RunningOxbow::UnderLock(const std::function<void()>& read) {
    WaitFor(
        [&] {
            if (!objects_->lock.try_lock_for(std::chrono::milliseconds(5))) return false;
            read();
            objects_->lock.unlock();
            return true;
        },
        5000);
}

void RunningOxbow::SetScales(float voltsPerDiv, double secondsPerDiv) {
    EXPECT_TRUE(OxPostFloat(oxcmd::group::kChannel, oxcmd::channel::kScale, 0, voltsPerDiv));
    EXPECT_TRUE(OxPostFloat(oxcmd::group::kChannel, oxcmd::channel::kOffset, 0, 0.0f));
    EXPECT_TRUE(
        OxPostDouble(oxcmd::group::kTimebase, oxcmd::timebase::kMainScale, 0, secondsPerDiv));
}

TraceRows RunningOxbow::Ch1Rows() {
    std::uint32_t colour = 0;
    OX_RECT plot{};
    UnderLock([&] {
        colour = GetSession().Engine()->ChannelPixel(0) & 0xFFFFFFu;
        plot = Objects().region->rcMain;
    });
    return FindTraceRows(Picture(), plot, colour);
}

bool RunningOxbow::StopAndReadRecord() {
    UnderLock([&] { GetSession().Acquisition().Counters().recordBytes = 0; });
    Window().Panel().Stop();
    int recordBytes = 0;
    const bool read = WaitFor(
        [&] {
            UnderLock([&] { recordBytes = GetSession().Acquisition().Counters().recordBytes; });
            return recordBytes > 0;
        },
        5000);
    WaitFor([&] { return Window().RunState().Text() == "STOP"; }, 2000);
    WaitFor([] { return false; }, 200); // the stopped redraw
    return read;
}

SimulatorProcess::SimulatorProcess(const QStringList& options) {
    std::vector<std::string> args{OXBOW_SIM_PROGRAM, "--port", "0"};
    for (const QString& option : options)
        args.push_back(option.toStdString());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    output_ = pipe[0];
    if (spawned != 0) {
        pid_ = -1;
        return;
    }
    port_ = ReadPort(ScaledMs(10000));
}

// "oxbow-sim listening on ADDRESS:PORT"
int SimulatorProcess::ReadPort(int ms) {
    std::string text;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        const std::size_t end = text.find('\n');
        if (end != std::string::npos) {
            const std::size_t colon = text.rfind(':', end);
            if (text.find("listening on") == std::string::npos || colon == std::string::npos)
                return 0;
            return std::atoi(text.c_str() + colon + 1);
        }
        pollfd readable{output_, POLLIN, 0};
        if (::poll(&readable, 1, 50) != 1) continue;
        char bytes[256];
        const ssize_t count = ::read(output_, bytes, sizeof bytes);
        if (count <= 0) return 0;
        text.append(bytes, static_cast<std::size_t>(count));
    }
    return 0;
}

SimulatorProcess::~SimulatorProcess() {
    Kill();
    if (output_ >= 0) ::close(output_);
}

void SimulatorProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace oxapp::test
