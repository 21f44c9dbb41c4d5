#include "program_fixture.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <stdexcept>

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

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
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
    App();
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(OXBOW_SIM_PROGRAM, QStringList{"--port", "0"} + options);
    // "oxbow-sim listening on ADDRESS:PORT"
    WaitFor(
        [&] {
            process_.waitForReadyRead(10);
            const QString text = QString::fromUtf8(process_.peek(4096));
            const int colon = text.lastIndexOf(':');
            if (!text.contains("listening on") || !text.contains('\n') || colon < 0) return false;
            port_ = text.mid(colon + 1).trimmed().toInt();
            return true;
        },
        10000);
}

SimulatorProcess::~SimulatorProcess() {
    Kill();
}

void SimulatorProcess::Kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

} // namespace oxapp::test
