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
    std::vector<Ratio> ratios;
    for (const auto& [name, floor] : floors) ratios.push_back({name, floor, limit});
    return RunWithRatios(argc, argv, ratios);
}

int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-40s %-30s %10s %8s\n", "benchmark", "floor", "ratio", "target");
    int over = 0;
    for (const Ratio& ratio : ratios) {
        const auto measured = reporter.Seconds().find(ratio.benchmark);
        const auto base = reporter.Seconds().find(ratio.floor);
        if (measured == reporter.Seconds().end() || base == reporter.Seconds().end()) continue;
        const double value = measured->second / base->second;
        const bool bad = value > ratio.limit;
        over += bad;
        std::printf("%-40s %-30s %9.2fx %7.1fx%s\n", ratio.benchmark.c_str(), ratio.floor.c_str(), value,
                    ratio.limit, bad ? "  over target" : "");
    }
    std::printf("%d over target\n", over);
    return 0;
}

}  // namespace plenvo::bench
