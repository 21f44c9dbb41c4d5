// Decoding a 1 M-sample record of continuous 115200 Bd UART at 10 MSa/s: Oxbow's decode
// session against sigrok-cli on the same samples, read from a sigrok session file Oxbow wrote.
//
// Baselines measured in the same run: sigrok-cli on the whole file (its process, set-up and
// decoding) and sigrok-cli on a file of 1,000 samples (its process and set-up alone). Counters:
// per_sigrok_cli = Oxbow / sigrok-cli on the whole file (target at most 1.2); per_sigrok_decoding
// = Oxbow / (sigrok-cli on the whole file - sigrok-cli's set-up), decoding against decoding.
#include "oxdecode.h"
#include "oxsim.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr double kRate = 10e6;
constexpr std::size_t kSamples = 1'000'000;
constexpr double kBaud = 115200.0;
const char* const kStack = "uart:rx=D0:baudrate=115200";

// Back-to-back bytes filling the record: a burst as long as the record, repeated after it.
oxfile::RecordSignals UartRecord(std::size_t samples) {
    oxbow::sim::BusTraffic traffic;
    traffic.rate = kBaud;
    traffic.every = static_cast<double>(samples) / kRate;
    const auto bytes = static_cast<std::size_t>(traffic.every * kBaud / 10.0) - 1;
    for (std::size_t i = 0; i < bytes; ++i)
        traffic.bytes.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    oxbow::sim::DigitalSource lines;
    lines.counter = false;
    lines.buses.push_back(
        {std::make_shared<const oxbow::sim::BusWave>(traffic), {{0, oxbow::sim::BusLine::Tx}}});
    oxfile::RecordSignals record;
    record.sampleRate = kRate;
    record.logic.resize(samples);
    for (std::size_t i = 0; i < samples; ++i)
        record.logic[i] = lines.Value(static_cast<double>(i) / kRate);
    return record;
}

struct Files {
    std::filesystem::path folder;
    std::filesystem::path whole;
    std::filesystem::path tiny;
    oxfile::RecordSignals record = UartRecord(kSamples);
    Files() {
        folder = std::filesystem::temp_directory_path() / "oxbow-bench-decode";
        std::filesystem::create_directories(folder);
        whole = folder / "uart.sr";
        tiny = folder / "tiny.sr";
        std::ofstream(whole, std::ios::binary) << oxfile::BuildSigrokSession(record);
        std::ofstream(tiny, std::ios::binary) << oxfile::BuildSigrokSession(UartRecord(1000));
    }
    ~Files() { std::filesystem::remove_all(folder); }
};

Files& Shared() {
    static Files files;
    return files;
}

// Seconds per iteration of the baselines, for the ratios.
double sigrokWhole = 0.0;
double sigrokSetUp = 0.0;

// The data bytes sigrok-cli decodes from `file`.
int SigrokCliBytes(const std::filesystem::path& file) {
    const std::string command =
        "sigrok-cli -i '" + file.string() + "' -P " + kStack + " -A uart=rx-data 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    int lines = 0;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr)
        ++lines;
    return pclose(pipe) == 0 ? lines : -1;
}

void RunSigrokCli(benchmark::State& state, const std::filesystem::path& file, double& seconds) {
    int bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        bytes = SigrokCliBytes(file);
        if (bytes < 0) {
            state.SkipWithError("sigrok-cli did not run (scripts/setup.sh installs it)");
            return;
        }
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
              static_cast<double>(state.iterations());
    state.counters["bytes"] = bytes;
}

void BM_SigrokCliSetUp(benchmark::State& state) {
    RunSigrokCli(state, Shared().tiny, sigrokSetUp);
}

void BM_SigrokCliWhole(benchmark::State& state) {
    RunSigrokCli(state, Shared().whole, sigrokWhole);
}

void BM_OxbowDecode(benchmark::State& state) {
    std::string error;
    if (!oxdecode::Initialise(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    oxdecode::StackSpec stack;
    if (!oxdecode::ParseStackText(kStack, stack, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const oxfile::RecordSignals& record = Shared().record;
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        oxdecode::DecodeLimits limits;
        limits.chunkSamples = static_cast<std::uint64_t>(state.range(0));
        const oxdecode::DecodeResult result = oxdecode::DecodeRecord({stack}, record, {}, limits);
        bytes = 0;
        const int data = oxdecode::FindDecoder("uart")->FindClass("rx-data");
        for (const oxdecode::RowResult& row : result.stacks[0].rows) {
            for (const oxdecode::Annotation& a : row.annotations)
                bytes += a.classIndex == data ? 1 : 0;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(state.iterations());
    state.counters["bytes"] = static_cast<double>(bytes);
    if (sigrokWhole > 0.0) state.counters["per_sigrok_cli"] = seconds / sigrokWhole;
    if (sigrokWhole > sigrokSetUp && sigrokSetUp > 0.0)
        state.counters["per_sigrok_decoding"] = seconds / (sigrokWhole - sigrokSetUp);
}

// The baselines first: the ratios are read from them.
BENCHMARK(BM_SigrokCliSetUp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_SigrokCliWhole)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
// The chunk size the program uses, and the whole record in one chunk.
BENCHMARK(BM_OxbowDecode)
    ->Arg(static_cast<std::int64_t>(oxdecode::DecodeLimits{}.chunkSamples))
    ->Arg(static_cast<std::int64_t>(kSamples))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
