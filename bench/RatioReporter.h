#pragma once

// Runs the registered benchmarks and then prints each one's time as a ratio against a
// floor measured in the same run, so the figures mean something on a noisy machine.

#include <map>
#include <string>
#include <vector>

namespace plenvo::bench {

// `floors` maps a benchmark name to the names of the floors it is compared with.
// `limit` is the target ratio; rows above it are marked. Returns the process exit code.
int RunWithRatios(int argc, char** argv, const std::multimap<std::string, std::string>& floors,
                  double limit);

// The same with a target of its own for each pair.
struct Ratio {
    std::string benchmark;
    std::string floor;
    double limit;
};
int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);

}  // namespace plenvo::bench
