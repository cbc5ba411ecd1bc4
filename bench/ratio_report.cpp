#include "bench/ratio_report.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>

namespace velmora::bench {

namespace {

struct Measured {
  double real_seconds_per_iteration = 0;
  double bytes_per_second = 0;
  std::map<std::string, double> counters;
};

// Prints as the console reporter does and keeps every run's figures for the targets table.
class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so figures piped into a file stay plain text.
  KeepingReporter()
      : ConsoleReporter(isatty(STDOUT_FILENO) ? OutputOptions(OO_Tabular | OO_Color) : OO_Tabular) {
  }
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration && run.aggregate_name != "median") continue;
      Measured m;
      const double iterations = run.iterations > 0 ? static_cast<double>(run.iterations) : 1.0;
      m.real_seconds_per_iteration = run.real_accumulated_time / iterations;
      for (const auto& [name, counter] : run.counters) m.counters[name] = counter.value;
      if (auto it = m.counters.find("bytes_per_second"); it != m.counters.end()) {
        m.bytes_per_second = it->second;
      }
      // By function and arguments only, without the run's settings (min_time, real_time...).
      // With repetitions the median wins over the single runs, which come first.
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      measured[name] = m;
    }
  }
  std::map<std::string, Measured> measured;
};

std::string human_speed(double bytes_per_second) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f GB/s", bytes_per_second / 1e9);
  return text;
}

}  // namespace

int run_with_targets(int argc, char** argv, const std::vector<Target>& targets) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  bool all_hold = true;
  std::printf("\n%-58s %14s %14s %9s %8s  %s\n", "target", "measured", "baseline", "ratio", "bound",
              "holds");
  for (const Target& target : targets) {
    const auto candidate = reporter.measured.find(target.candidate);
    if (candidate == reporter.measured.end()) continue;  // not selected in this run
    const auto baseline = reporter.measured.find(target.baseline);
    const bool has_baseline = baseline != reporter.measured.end();
    double ratio = 0;
    double value = 0;
    std::string measured_text, baseline_text = "-", ratio_text = "-";
    bool holds = false;
    char buffer[64];
    switch (target.kind) {
      case Target::Kind::speed_ratio_at_least:
        if (!has_baseline) continue;
        ratio = candidate->second.bytes_per_second / baseline->second.bytes_per_second;
        measured_text = human_speed(candidate->second.bytes_per_second);
        baseline_text = human_speed(baseline->second.bytes_per_second);
        holds = ratio >= target.bound;
        break;
      case Target::Kind::time_ratio_at_most:
      case Target::Kind::time_ratio_shown:
        if (!has_baseline) continue;
        ratio = candidate->second.real_seconds_per_iteration /
                baseline->second.real_seconds_per_iteration;
        std::snprintf(buffer, sizeof buffer, "%.1f ms",
                      candidate->second.real_seconds_per_iteration * 1e3);
        measured_text = buffer;
        std::snprintf(buffer, sizeof buffer, "%.1f ms",
                      baseline->second.real_seconds_per_iteration * 1e3);
        baseline_text = buffer;
        holds = target.kind == Target::Kind::time_ratio_shown || ratio <= target.bound;
        break;
      case Target::Kind::speed_at_least:
        value = candidate->second.bytes_per_second;
        measured_text = human_speed(value);
        holds = value >= target.bound;
        break;
      case Target::Kind::value_at_most: {
        const auto counter = candidate->second.counters.find(target.counter);
        if (counter == candidate->second.counters.end()) continue;
        value = counter->second;
        std::snprintf(buffer, sizeof buffer, "%.2f", value);
        measured_text = buffer;
        if (has_baseline) {
          const auto base = baseline->second.counters.find(target.counter);
          if (base != baseline->second.counters.end() && base->second != 0) {
            std::snprintf(buffer, sizeof buffer, "%.2f", base->second);
            baseline_text = buffer;
            ratio = value / base->second;
          }
        }
        holds = value <= target.bound;
        break;
      }
    }
    if (ratio != 0) {
      std::snprintf(buffer, sizeof buffer, "%.3f", ratio);
      ratio_text = buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%g", target.bound);
    if (target.kind == Target::Kind::time_ratio_shown) std::snprintf(buffer, sizeof buffer, "-");
    std::printf("%-58s %14s %14s %9s %8s  %s\n", target.what.c_str(), measured_text.c_str(),
                baseline_text.c_str(), ratio_text.c_str(), buffer,
                target.kind == Target::Kind::time_ratio_shown ? "-"
                : holds                                       ? "yes"
                                                              : "NO");
    all_hold = all_hold && holds;
  }
  return all_hold ? 0 : 1;
}

}  // namespace velmora::bench
