#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace plenvo::bench {
namespace {

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With --benchmark_repetitions the median stands for the benchmark.
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median") continue;
            seconds_[run.run_name.str()] =
                run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
    const std::map<std::string, double>& Seconds() const { return seconds_; }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int RunWithRatios(int argc, char** argv, const std::multimap<std::string, std::string>& floors,
                  double limit) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-40s %-30s %10s\n", "benchmark", "floor", "ratio");
    int over = 0;
    for (const auto& [name, floor] : floors) {
        const auto measured = reporter.Seconds().find(name);
        const auto base = reporter.Seconds().find(floor);
        if (measured == reporter.Seconds().end() || base == reporter.Seconds().end()) continue;
        const double ratio = measured->second / base->second;
        const bool bad = ratio > limit;
        over += bad;
        std::printf("%-40s %-30s %9.2fx%s\n", name.c_str(), floor.c_str(), ratio,
                    bad ? "  over target" : "");
    }
    std::printf("target: within %.1fx of the floor; %d over\n", limit, over);
    return 0;
}

}  // namespace plenvo::bench
