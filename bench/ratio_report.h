// Runs the registered benchmarks and then prints, for each pair of a measured benchmark and its
// baseline, the ratio between them and whether the target holds.
#pragma once

#include <string>
#include <vector>

namespace velmora::bench {

struct Target {
  enum class Kind {
    speed_ratio_at_least,  // bytes per second of the candidate / of the baseline >= bound
    time_ratio_at_most,    // real time of the candidate / of the baseline <= bound
    speed_at_least,        // bytes per second of the candidate >= bound (baseline unused)
    value_at_most,         // user counter `counter` of the candidate <= bound (baseline unused)
    time_ratio_shown,      // real time ratio, printed for information; no bound
  };
  std::string what;       // one line saying what is compared
  std::string candidate;  // benchmark run name, as printed by Google Benchmark
  std::string baseline;
  Kind kind;
  double bound;
  std::string counter = {};
};

// Initialises Google Benchmark with the command line, runs what it selects, prints the targets
// table. Returns 0 when every target whose runs were selected holds, 1 otherwise.
int run_with_targets(int argc, char** argv, const std::vector<Target>& targets);

}  // namespace velmora::bench
