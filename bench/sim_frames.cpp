// How fast the simulated instrument makes live frames: two-channel frames through the USB
// live block (250 per block), one frame per LAN reply, and a long full record. Each is also
// reported as a ratio to the frame floor measured in the same run ("per_floor": how many
// frames cost as much as one floor).
#include "frame_floor.h"
#include "oxsim.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using oxbow::sim::Instrument;
using oxbow::sim::InstrumentOptions;
using oxbow::sim::ManualClock;

double FloorSeconds() {
    oxbow::bench::FrameFloor floor;
    constexpr int kRuns = 50;
    floor.Run();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRuns; ++i) {
        floor.Run();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRuns;
}

std::unique_ptr<Instrument> FastInstrument() {
    auto instrument =
        std::make_unique<Instrument>(InstrumentOptions{}, std::make_shared<ManualClock>());
    instrument->Execute(":TIMEBASE:SCALE 0.000001"); // one acquisition per millisecond
    return instrument;
}

void Report(benchmark::State& state, std::int64_t frames, double seconds, double floor) {
    state.SetItemsProcessed(frames);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["per_floor"] = floor / (seconds / static_cast<double>(frames));
}

void BM_UsbTwoChannelFrames(benchmark::State& state) {
    const double floor = FloorSeconds();
    auto instrument = FastInstrument();
    std::vector<std::uint8_t> block;
    std::int64_t frames = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        instrument->Advance(0.25);
        instrument->LiveBlock(3, block);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        frames += block[4] | (block[5] << 8);
        benchmark::DoNotOptimize(block.data());
    }
    Report(state, frames, seconds, floor);
}

void BM_LanTwoChannelReply(benchmark::State& state) {
    const double floor = FloorSeconds();
    auto instrument = FastInstrument();
    std::vector<std::uint8_t> reply;
    std::int64_t frames = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        instrument->Advance(0.001);
        instrument->LanLiveReply(reply);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        frames += reply.size() > oxbow::sim::kLanLiveHeader ? 1 : 0;
        benchmark::DoNotOptimize(reply.data());
    }
    Report(state, frames, seconds, floor);
}

void BM_LongFullRecord(benchmark::State& state) {
    auto instrument = FastInstrument();
    instrument->Execute(":CHANNEL2:DISPLAY OFF");
    instrument->Execute(":ACQUIRE:MEMORY FULL");
    instrument->Advance(0.01);
    instrument->Execute(":STOP");
    std::vector<std::uint8_t> record;
    for (auto _ : state) {
        instrument->FullRecord(1, record);
        benchmark::DoNotOptimize(record.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(record.size()));
}

} // namespace

BENCHMARK(oxbow::bench::BM_FrameFloor);
BENCHMARK(BM_UsbTwoChannelFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LanTwoChannelReply)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongFullRecord)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
