// A harvest of 1000 shares against a loopback service, measured against a client that makes the
// same 1001 GETs over plain sockets, each on a new connection: once with no added latency, once
// with an emulated 20 ms round trip (the server waits 20 ms before it answers a new connection
// and 20 ms before each response), where the harvest's reused connections pay off.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/ratio_report.h"
#include "bench/service.h"
#include "fuzz/recording_view.h"
#include "harvest/harvest.h"

namespace {

using velmora::bench::ShareService;
constexpr int kShares = 1000;

void harvest_run(benchmark::State& state, ShareService& service) {
  for (auto _ : state) {
    velmora::harvest::HarvestState harvest_state;
    velmora::fuzz::RecordingView view;
    view.address = "http://pan.example/share/home?uk=2718281828";
    velmora::harvest::Harvest harvest(harvest_state, view,
                                      velmora::harvest::PageFetchers::network(), service.host());
    harvest.extract_addresses();
    if (view.links.size() != static_cast<std::size_t>(kShares)) {
      state.SkipWithError("the harvest did not list every share");
      return;
    }
    benchmark::DoNotOptimize(view.links);
  }
  state.counters["pages"] = kShares + 1;
}

void plain_socket_run(benchmark::State& state, ShareService& service) {
  const auto targets = service.targets("2718281828");
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (const auto& target : targets) {
      bytes += velmora::bench::plain_socket_get(service.port(), target).size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["pages"] = static_cast<double>(targets.size());
}

}  // namespace

int main(int argc, char** argv) {
  using velmora::bench::Target;
  ShareService fast(kShares);
  ShareService slow(kShares, {0, std::chrono::milliseconds(20), std::chrono::milliseconds(20)});

  benchmark::RegisterBenchmark("harvest/no_latency", harvest_run, std::ref(fast))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(2.0);
  benchmark::RegisterBenchmark("plain_socket_client/no_latency", plain_socket_run, std::ref(fast))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(2.0);
  benchmark::RegisterBenchmark("harvest/round_trip_20ms", harvest_run, std::ref(slow))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  benchmark::RegisterBenchmark("plain_socket_client/round_trip_20ms", plain_socket_run,
                               std::ref(slow))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);

  return velmora::bench::run_with_targets(
      argc, argv,
      {{"harvest of 1000 shares vs plain sockets, no latency (time)", "harvest/no_latency",
        "plain_socket_client/no_latency", Target::Kind::time_ratio_at_most, 1.5},
       {"harvest of 1000 shares vs new connections, 20 ms round trip", "harvest/round_trip_20ms",
        "plain_socket_client/round_trip_20ms", Target::Kind::time_ratio_at_most, 0.6}});
}
