// Peak memory of listing a share-home page of 100000 share ids, fetched from a loopback service,
// measured in a child process of its own (its peak resident size, and the most bytes it held
// from operator new at once), against a child that only reads the same page over a plain socket.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/ratio_report.h"
#include "bench/service.h"
#include "fuzz/recording_view.h"
#include "harvest/harvest.h"
#include "tests/hostile/counting_allocator.h"

extern char** environ;

namespace {

constexpr int kShares = 100000;

// The peak resident size of this process image, in KiB. (A spawned child's ru_maxrss would
// start from its parent's resident size; VmHWM belongs to the image after exec alone.)
std::size_t peak_resident_kib() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  std::size_t kib = 0;
  while (std::fgets(line, sizeof line, status)) {
    if (std::sscanf(line, "VmHWM: %zu kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

// The child: does one thing, then prints "<heap peak bytes> <peak resident KiB> <found>".
int child_main(const std::string& mode, const std::string& port) {
  velmora::testing::reset_heap_peak();
  std::size_t found = 0;
  if (mode == "listing") {
    velmora::harvest::HarvestState state;
    velmora::fuzz::RecordingView view;
    view.address = "http://pan.example/share/home?uk=31415";
    velmora::harvest::Harvest harvest(state, view, velmora::harvest::PageFetchers::network(),
                                      "127.0.0.1:" + port);
    harvest.list_shares();
    found = static_cast<std::size_t>(state.share_ids.count());
  } else {
    const std::string page = velmora::bench::plain_socket_get(
        static_cast<std::uint16_t>(std::stoi(port)), "/share/home?uk=31415");
    found = page.size();
  }
  std::printf("%zu %zu %zu\n", velmora::testing::heap_peak_growth(), peak_resident_kib(), found);
  return 0;
}

struct ChildFigures {
  double peak_rss_mib = 0, heap_peak_mib = 0;
  std::size_t found = 0;
  bool ok = false;
};

ChildFigures run_child(const char* mode, std::uint16_t port) {
  int out[2];
  ChildFigures figures;
  if (pipe(out) != 0) return figures;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string port_text = std::to_string(port);
  char self[] = "/proc/self/exe";
  char child_flag[] = "--child";
  std::string mode_text = mode;
  char* argv[] = {self, child_flag, mode_text.data(), const_cast<char*>(port_text.c_str()),
                  nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return figures;
  }
  std::string printed;
  char buffer[256];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;) {
    printed.append(buffer, static_cast<std::size_t>(got));
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  std::size_t heap = 0, resident_kib = 0;
  figures.ok =
      WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(printed.c_str(), "%zu %zu %zu", &heap, &resident_kib, &figures.found) == 3;
  figures.peak_rss_mib = static_cast<double>(resident_kib) / 1024.0;
  figures.heap_peak_mib = static_cast<double>(heap) / (1024.0 * 1024.0);
  return figures;
}

void child_bench(benchmark::State& state, const char* mode, velmora::bench::ShareService& service,
                 std::size_t expected) {
  ChildFigures figures;
  for (auto _ : state) {
    figures = run_child(mode, service.port());
    if (!figures.ok || figures.found != expected) {
      state.SkipWithError("the child failed or found too little");
      return;
    }
  }
  state.counters["peak_rss_mib"] = figures.peak_rss_mib;
  state.counters["heap_peak_mib"] = figures.heap_peak_mib;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return child_main(argv[2], argv[3]);

  using velmora::bench::Target;
  velmora::bench::ShareService service(kShares);
  benchmark::RegisterBenchmark("memory/listing_100000_ids", child_bench, "listing",
                               std::ref(service), static_cast<std::size_t>(kShares))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  benchmark::RegisterBenchmark("memory/plain_socket_read_of_the_page", child_bench, "read",
                               std::ref(service), service.home_page().size())
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  std::printf("share-home page: %zu ids, %.2f MiB\n", static_cast<std::size_t>(kShares),
              static_cast<double>(service.home_page().size()) / (1024.0 * 1024.0));
  return velmora::bench::run_with_targets(
      argc, argv,
      {{"listing 100000 ids: peak resident MiB (child process)", "memory/listing_100000_ids",
        "memory/plain_socket_read_of_the_page", Target::Kind::value_at_most, 64.0, "peak_rss_mib"},
       {"listing 100000 ids: peak operator-new MiB", "memory/listing_100000_ids",
        "memory/plain_socket_read_of_the_page", Target::Kind::value_at_most, 64.0,
        "heap_peak_mib"}});
}
