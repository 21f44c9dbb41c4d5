#include "session.h"

#include "numerix.h"
#include "oxbow_ui.h"
#include "oxmsg.h"
#include "processobjects.h"

#include <chrono>

namespace oxapp {
namespace {

constexpr std::size_t kReferenceBytes = 1'048'576; // per reference slot
constexpr std::size_t kMaskColumns = 700;
constexpr int kSplitRows = 192; // each region of the delayed, alternate and FFT split layouts
// The live picture's shortest interval: a 120 Hz screen's refresh. The instrument may deliver
// several hundred frames a second; composing and presenting each one would show nothing more.
constexpr std::chrono::milliseconds kLivePictureInterval{8};

// The graticule rectangles inside the composed picture: the whole plot area, and the two
// regions of the split layouts with the split line between them.
void SetScreenRegions(_OX_RGN_SETUP& region) {
    using namespace oxdisplay;
    const int left = kPlotLeft;
    const int right = kPlotLeft + kColumns;
    const int top = kPlotTopInCompose;
    const int bottom = kPlotTopInCompose + kPlotRows;
    region.rcMain = {left, top, right, bottom};
    region.rcUpper = {left, top, right, top + kSplitRows};
    region.rcLower = {left, bottom - kSplitRows, right, bottom};
    region.rcFFTTime = region.rcUpper;
    region.rcFFTFreq = region.rcLower;
}

} // namespace

class Session::EngineSteps final : public oxacq::DisplaySteps {
public:
    explicit EngineSteps(std::unique_ptr<oxdisplay::DisplayEngine>& engine) : engine_(engine) {}
    void FullRedraw() override { Run(&oxdisplay::DisplayEngine::FullRedraw); }
    bool BackgroundCurrent() override { return !engine_ || engine_->BackgroundCurrent(); }
    void Erase() override { Run(&oxdisplay::DisplayEngine::Erase); }
    void ResetTraceWindows() override { Run(&oxdisplay::DisplayEngine::ResetTraceWindows); }
    void RunPipeline(int points, bool stopped) override {
        Run(&oxdisplay::DisplayEngine::RunPipeline, points, stopped);
    }
    void HandOverMeasurement() override { Run(&oxdisplay::DisplayEngine::HandOverMeasurement); }
    void DrawTraces(bool stopped) override { Run(&oxdisplay::DisplayEngine::DrawTraces, stopped); }
    void Compose() override { Run(&oxdisplay::DisplayEngine::Compose); }
    void DrawOverlays() override { Run(&oxdisplay::DisplayEngine::DrawOverlays); }
    void Present() override { Run(&oxdisplay::DisplayEngine::Present); }
    void ClearPersistence() override { Run(&oxdisplay::DisplayEngine::ClearPersistence); }
    void ChangeBackground(std::uint8_t grey) override {
        Run(&oxdisplay::DisplayEngine::ChangeBackground, grey);
    }

private:
    template <typename Method, typename... Args> void Run(Method method, Args... args) {
        if (engine_) ((*engine_).*method)(args...);
    }
    std::unique_ptr<oxdisplay::DisplayEngine>& engine_;
};

Session::Session(ProcessObjects& objects, CWnd& mainWindow)
    : objects_(objects), mainWindow_(mainWindow), steps_(std::make_unique<EngineSteps>(engine_)),
      acquisition_({objects.setup.get(), objects.region.get(), objects.positions.get()},
                   &objects.socket, commands_, *steps_),
      workers_(objects.lock, *objects.setup, PublishingJobs()),
      shell_({objects.setup.get(), objects.region.get(), objects.positions.get()}, objects.socket,
             commands_, acquisition_, workers_),
      files_({objects.setup.get(), objects.region.get(), objects.positions.get()}, acquisition_),
      references_(kReferenceBytes * oxdisplay::kRefSlots), maskUpper_(kMaskColumns),
      maskLower_(kMaskColumns) {
    commands_.Attach(acquisition_);
    acquisition_.SetMainWindow(&mainWindow_);
    acquisition_.SetLivePictureInterval(kLivePictureInterval);
    oxacq::DefaultSetup(*objects.setup, false);
    SetScreenRegions(*objects.region);
    ApplyLinkChoice(objects.line, *objects.setup);
}

Session::~Session() {
    workers_.Stop();
    OxSetBeforeNotify({});
    engine_.reset();
    FFT_Destory();
}

bool Session::CreateSurfaces(oxdisplay::PresentTarget* present) {
    oxdisplay::ReferenceBuffers references;
    for (int slot = 0; slot < oxdisplay::kRefSlots; ++slot) {
        references.samples[slot] = std::span<const std::uint8_t>(references_)
                                       .subspan(slot * kReferenceBytes, kReferenceBytes);
    }
    references.maskUpper = maskUpper_;
    references.maskLower = maskLower_;
    engine_ = std::make_unique<oxdisplay::DisplayEngine>(
        oxdisplay::DisplayRecords{objects_.setup.get(), objects_.region.get(),
                                  objects_.positions.get()},
        acquisition_.Channels(), references, acquisition_.FrameState(), commands_, measure_,
        present);
    return engine_ != nullptr;
}

void Session::StartUp() {
    shell_.FindUsbDeviceAtStart();
    OxMsgInit(&mainWindow_, objects_.setup.get(), objects_.region.get(), objects_.positions.get(),
              &objects_.socket);
    OxInstallVerticalHandlers();
    files_.Install();
    FFT_Init();
    RebuildRgnSetup();
    if (objects_.setup->nInterface != oxcmd::code::kUsb) shell_.ConnectLan();
    shell_.DetectModel();
    shell_.LoadSettings();
    PublishSnapshot();
    OxSetBeforeNotify([this] { PublishSnapshot(); });
    workers_.Start();
}

void Session::PublishSnapshot() {
    snapshot_.Publish(*objects_.setup, *objects_.region);
}

// The acquisition's jobs, the I/O job publishing the records for the UI thread after each tick.
oxacq::WorkerJobs Session::PublishingJobs() {
    oxacq::WorkerJobs jobs = oxacq::AcquisitionJobs(acquisition_, commands_, *objects_.setup);
    jobs.io = [this, io = std::move(jobs.io)] {
        io();
        PublishSnapshot();
    };
    return jobs;
}

// The simulated instrument's setup is written after the workers are joined, when nobody
// changes it any more.
bool Session::Shutdown() {
    const bool settingsWritten = shell_.Shutdown();
    objects_.SaveSimState();
    return settingsWritten;
}

} // namespace oxapp
