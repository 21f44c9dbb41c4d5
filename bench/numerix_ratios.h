// Ratio summary for the Numerix benchmark programs: each target's median time over its
// baseline's median, both measured in the same run with interleaved repetitions.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace oxbow::bench {

struct RatioTarget {
    std::string target;   // benchmark function names as registered
    std::string baseline;
    double limit;         // the ratio the target must stay within
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioTarget> targets) : targets_(std::move(targets)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                times_[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit,
                                                      run.GetAdjustedCPUTime() / unit};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nRatios of medians in this run (real time; CPU time, steadier when the cores are shared):\n");
        for (const RatioTarget& t : targets_) {
            const auto target = times_.find(t.target);
            const auto baseline = times_.find(t.baseline);
            if (target == times_.end() || baseline == times_.end()) {
                continue;
            }
            const double real = target->second.real / baseline->second.real;
            const double cpu = target->second.cpu / baseline->second.cpu;
            std::printf("  %-18s / %-28s = %6.3f; CPU %6.3f  (limit %.2f: %s)\n", t.target.c_str(),
                        t.baseline.c_str(), real, cpu, t.limit,
                        std::max(real, cpu) <= t.limit ? "met" : "NOT MET");
        }
    }

private:
    struct Times {
        double real;
        double cpu;
    };
    std::vector<RatioTarget> targets_;
    std::map<std::string, Times> times_;
};

// Runs the registered benchmarks, by default with nine repetitions interleaved at random so
// that both sides of a ratio see the same load, and prints the ratios at the end.
inline int RunWithRatios(int argc, char** argv, std::vector<RatioTarget> targets) {
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) {
        repetitionsGiven = repetitionsGiven || std::strstr(argv[i], "--benchmark_repetitions") == argv[i];
    }
    static char repetitions[] = "--benchmark_repetitions=9";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven) {
        args.insert(args.begin() + 1, {repetitions, interleave, aggregatesOnly});
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    RatioReporter reporter(std::move(targets));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace oxbow::bench
