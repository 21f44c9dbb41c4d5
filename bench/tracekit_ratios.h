// Runs a benchmark program and, after the usual table, prints each listed benchmark's time per
// iteration (the median over repetitions) as a ratio of a baseline measured in the same run.
// CPU time is used: on a shared machine the wall clock mostly measures the other processes.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace oxbow::bench {

struct Ratio {
    std::string name;
    std::string baseline;
    double target; // 0 when only reported
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            // Times in the run's own unit; every benchmark here keeps the default unit.
            if (run.run_type == Run::RT_Iteration) {
                times_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
            } else if (run.aggregate_name == "median") {
                medians_[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nRatios (median CPU time per iteration / baseline in this run):\n");
        for (const Ratio& ratio : ratios_) {
            const double time = Median(ratio.name);
            const double baseline = Median(ratio.baseline);
            if (time <= 0 || baseline <= 0) {
                continue; // filtered out of this run
            }
            const double value = time / baseline;
            if (ratio.target > 0) {
                std::printf("  %-28s / %-22s = %6.3f  (target <= %.2f: %s)\n", ratio.name.c_str(),
                            ratio.baseline.c_str(), value, ratio.target,
                            value <= ratio.target ? "met" : "NOT met");
            } else {
                std::printf("  %-28s / %-22s = %6.3f\n", ratio.name.c_str(), ratio.baseline.c_str(),
                            value);
            }
        }
    }

private:
    double Median(const std::string& name) {
        if (const auto median = medians_.find(name); median != medians_.end()) {
            return median->second;
        }
        std::vector<double>& times = times_[name];
        if (times.empty()) {
            return 0.0;
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    std::vector<Ratio> ratios_;
    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, double> medians_;
};

inline int RunWithRatios(int argc, char** argv, std::vector<Ratio> ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace oxbow::bench
