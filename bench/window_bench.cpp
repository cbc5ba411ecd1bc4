// A harvest of 1000 shares through the window (offscreen) against a loopback service that waits
// 1 ms before each response: how much of the harvest's time goes into drawing the status lines,
// the counter line and the progress bar, which are drawn at once on every change. The same
// harvest on a view that draws nothing is the baseline.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>

#include "bench/ratio_report.h"
#include "bench/service.h"
#include "fuzz/recording_view.h"
#include "harvest/harvest.h"
#include "ui/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kShares = 1000;

// Passes every call on to the window's view and keeps the time spent in those that draw.
class TimingView : public velmora::harvest::HarvestView {
 public:
  explicit TimingView(velmora::harvest::HarvestView& inner) : inner_(inner) {}
  Clock::duration drawing{}, bar{}, rows{};

  velmora::text::Text read_address() override { return inner_.read_address(); }
  void set_status_line(int line, std::string_view text) override {
    timed(drawing, [&] { inner_.set_status_line(line, text); });
  }
  void set_counter_text(std::string_view text) override {
    timed(drawing, [&] { inner_.set_counter_text(text); });
  }
  std::int32_t progress_minimum() override { return inner_.progress_minimum(); }
  std::int32_t progress_maximum() override { return inner_.progress_maximum(); }
  void set_progress_maximum(std::int32_t n) override {
    timed(drawing, [&] { timed(bar, [&] { inner_.set_progress_maximum(n); }); });
  }
  std::int32_t progress_position() override { return inner_.progress_position(); }
  void set_progress_position(std::int32_t n) override {
    timed(drawing, [&] { timed(bar, [&] { inner_.set_progress_position(n); }); });
  }
  void add_file_name(std::string_view name) override {
    timed(rows, [&] { inner_.add_file_name(name); });
  }
  void add_link(std::string_view link) override {
    timed(rows, [&] { inner_.add_link(link); });
  }

 private:
  template <class Call>
  static void timed(Clock::duration& into, Call call) {
    const auto started = Clock::now();
    call();
    into += Clock::now() - started;
  }
  velmora::harvest::HarvestView& inner_;
};

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void window_harvest(benchmark::State& state, velmora::bench::ShareService& service) {
  double drawing = 0, bar = 0, rows = 0, total = 0;
  for (auto _ : state) {
    velmora::harvest::HarvestState harvest_state;
    velmora::ui::WindowServices services;
    services.state = harvest_state;
    services.host = service.host();
    velmora::ui::MainWindow window(services);
    window.show();
    QApplication::processEvents();
    window.编辑框1.set_text("http://pan.example/share/home?uk=2718281828");
    TimingView view(window.harvest_view());
    velmora::harvest::Harvest harvest(harvest_state, view,
                                      velmora::harvest::PageFetchers::network(), service.host());
    const auto started = Clock::now();
    harvest.extract_addresses();
    total += seconds(Clock::now() - started);
    drawing += seconds(view.drawing);
    rows += seconds(view.rows);
    bar += seconds(view.bar);
    if (window.选择列表框2.row_count() != kShares) {
      state.SkipWithError("the harvest did not list every share");
      return;
    }
  }
  state.counters["drawing_share"] = drawing / total;
  state.counters["bar_share"] = bar / total;
  state.counters["rows_share"] = rows / total;
}

void recording_harvest(benchmark::State& state, velmora::bench::ShareService& service) {
  for (auto _ : state) {
    velmora::harvest::HarvestState harvest_state;
    velmora::fuzz::RecordingView view;
    view.address = "http://pan.example/share/home?uk=2718281828";
    velmora::harvest::Harvest harvest(harvest_state, view,
                                      velmora::harvest::PageFetchers::network(), service.host());
    harvest.extract_addresses();
    benchmark::DoNotOptimize(view.links);
  }
  state.counters["drawing_share"] = 0;
}

}  // namespace

int main(int argc, char** argv) {
  using velmora::bench::Target;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  velmora::bench::ShareService service(
      kShares, {0, std::chrono::milliseconds(1), std::chrono::milliseconds(1)});

  benchmark::RegisterBenchmark("window_harvest/latency_1ms", window_harvest, std::ref(service))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  benchmark::RegisterBenchmark("view_without_drawing_harvest/latency_1ms", recording_harvest,
                               std::ref(service))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(3);
  return velmora::bench::run_with_targets(
      argc, argv,
      {{"window harvest, 1 ms latency: share of time drawing", "window_harvest/latency_1ms", "",
        Target::Kind::value_at_most, 0.10, "drawing_share"},
       {"window harvest vs a view that draws nothing (time)", "window_harvest/latency_1ms",
        "view_without_drawing_harvest/latency_1ms", Target::Kind::time_ratio_shown, 0}});
}
