// Presenting: the copy of one composed picture into the scope view's front buffer, a stopped
// tick with nothing new on the screen, and the whole display path of a new frame as the
// program runs it (compose and present into the widget's image; offscreen, nothing painted).
// Reported against the frame floor.
#include "display_bench.h"
#include "frame_floor.h"
#include "scopeview.h"
#include "tracekit_ratios.h"

#include <QApplication>

#include <cstdlib>

namespace {

using oxbow::bench::Bench;
using oxbow::bench::kFrames;

// Hands the composition to one scope view, as the main window's presenter does.
struct ViewTarget final : oxdisplay::PresentTarget {
    oxbow::ui::ScopeView view;
    bool Present(const Surface& composition, const Surface&) override {
        return view.Present(composition);
    }
};

void BM_PresentPicture(benchmark::State& state) {
    Surface picture(oxbow::ui::kScopePictureWidth, oxbow::ui::kScopePictureHeight);
    oxbow::ui::ScopeView view;
    for (auto _ : state) {
        benchmark::DoNotOptimize(view.Present(picture));
        benchmark::ClobberMemory();
    }
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
