// Presenting: the hand-over of a new composed picture to the scope view (shown from the
// composer's surface, which alternates between two), a stopped tick with nothing new on the
// screen, and the whole display path of a new frame as the program runs it (compose, compare
// with the picture shown and present to the widget; offscreen, nothing painted). Reported
// against the frame floor.
#include "display_bench.h"
#include "frame_floor.h"
#include "scopeview.h"
#include "tracekit_ratios.h"

#include <QApplication>

#include <array>
#include <cstdlib>

namespace {

using oxbow::bench::Bench;
using oxbow::bench::kFrames;

// Hands the composition to one scope view, as the main window's presenter does.
struct ViewTarget final : oxdisplay::PresentTarget {
    oxbow::ui::ScopeView view;
    bool Present(const Surface& composition, const Surface&) override {
        return view.Show(composition);
    }
    void Release() override { view.Release(); }
};

void BM_PresentPicture(benchmark::State& state) {
    const std::array<Surface, 2> pictures{
        Surface(oxbow::ui::kScopePictureWidth, oxbow::ui::kScopePictureHeight),
        Surface(oxbow::ui::kScopePictureWidth, oxbow::ui::kScopePictureHeight)};
    oxbow::ui::ScopeView view;
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(view.Show(pictures[next]));
        next ^= 1;
        benchmark::ClobberMemory();
    }
    view.Release();
}

void BM_StoppedUnchangedTick(benchmark::State& state) {
    ViewTarget target;
    Bench bench(&target);
    bench.setup->bRun = 0;
    bench.Tick(0);
    bench.engine->Present();
    for (auto _ : state) {
        bench.engine->Compose();
        bench.engine->DrawOverlays();
        bench.engine->Present();
        benchmark::ClobberMemory();
    }
}

void BM_DisplayPathPerFrame(benchmark::State& state) {
    ViewTarget target;
    Bench bench(&target);
    int f = 0;
    for (auto _ : state) {
        bench.Tick(f);
        bench.engine->Present();
        f = (f + 1) % kFrames;
        benchmark::ClobberMemory();
    }
}

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_PresentPicture);
BENCHMARK(BM_StoppedUnchangedTick);
BENCHMARK(BM_DisplayPathPerFrame);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const char* floor = "oxbow::bench::BM_FrameFloor";
    return oxbow::bench::RunWithRatios(argc, argv,
                                       {{"BM_PresentPicture", floor, 0.3},
                                        {"BM_StoppedUnchangedTick", floor, 0.02},
                                        {"BM_DisplayPathPerFrame", floor, 0}});
}
