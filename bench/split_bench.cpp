// split_text over 10 MiB pages against a plain std::string_view::find splitter that ignores the
// two-byte rule but yields the same kind of result: copies of the pieces.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/ratio_report.h"
#include "text/text.h"

namespace {

constexpr std::size_t page_size = 10u << 20;

// An HTML-like ASCII page with the share-home marker about every 100 KiB.
std::string ascii_page() {
  std::mt19937 random(1);
  std::string page;
  page.reserve(page_size + 64);
  const std::string_view words[] = {
      "<div class=\"item\">", "href=\"/s/1a2b\"", "data-x=\"17\"", "</span>",
      "server_filename",      "size:4096,",       "&nbsp;",        "category",
      "\"isdir\":0,",         "path=%2F"};
  std::size_t next_marker = 100u << 10;
  while (page.size() < page_size) {
    page += words[random() % std::size(words)];
    page += ' ';
    if (page.size() >= next_marker) {
      page += "shareId\\\":7781236512,";
      next_marker += 100u << 10;
    }
  }
  page.resize(page_size);
  return page;
}

// Mostly two-byte GBK characters, trail bytes over the whole 0x40..0xFE range (0x5C among
// them), a little ASCII, and the file-name marker "文件名:" about every 4 KiB.
std::string gbk_page() {
  std::mt19937 random(2);
  std::string page;
  page.reserve(page_size + 64);
  const std::string marker = "\xCE\xC4\xBC\xFE\xC3\xFB:";
  std::size_t next_marker = 4096;
  while (page.size() < page_size) {
    const unsigned roll = random() % 16;
    if (roll == 0) {
      page += "a1 ";
    } else {
      page += static_cast<char>(0xB0 + random() % 0x48);  // lead 0xB0..0xF7
      page += static_cast<char>(0x40 + random() % 0xBF);  // trail 0x40..0xFE
    }
    if (page.size() >= next_marker) {
      page += marker;
      next_marker += 4096;
    }
  }
  page.resize(page_size);
  return page;
}

// Short numbers between commas: a piece every 5 bytes or so.
std::string dense_page() {
  std::mt19937 random(3);
  std::string page;
  page.reserve(page_size + 16);
  while (page.size() < page_size) {
    page += std::to_string(random() % 100000);
    page += ',';
  }
  page.resize(page_size);
  return page;
}

struct Page {
  const char* name;
  std::string bytes;
  std::string delimiter;
};

const std::vector<Page>& pages() {
  static const std::vector<Page> all = {
      {"ascii", ascii_page(), "shareId\\"},
      {"gbk", gbk_page(), "\xCE\xC4\xBC\xFE\xC3\xFB:"},
      {"dense", dense_page(), ","},
  };
  return all;
}

std::vector<std::string> find_splitter(std::string_view text, std::string_view delimiter) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(delimiter, start);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(text.substr(start, at - start));
    start = at + delimiter.size();
  }
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return pieces;
}

void split_text_bench(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    auto pieces = velmora::text::split_text(page.bytes, page.delimiter);
    benchmark::DoNotOptimize(pieces);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.bytes.size()));
  state.counters["pieces"] =
      static_cast<double>(velmora::text::split_text(page.bytes, page.delimiter).count());
}

void find_splitter_bench(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    auto pieces = find_splitter(page.bytes, page.delimiter);
    benchmark::DoNotOptimize(pieces);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.bytes.size()));
  state.counters["pieces"] = static_cast<double>(find_splitter(page.bytes, page.delimiter).size());
}

}  // namespace

int main(int argc, char** argv) {
  using velmora::bench::Target;
  std::vector<Target> targets;
  for (const Page& page : pages()) {
    const std::string candidate = std::string("split_text/") + page.name;
    const std::string baseline = std::string("find_splitter/") + page.name;
    benchmark::RegisterBenchmark(candidate.c_str(), split_text_bench, std::cref(page))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(baseline.c_str(), find_splitter_bench, std::cref(page))
        ->Unit(benchmark::kMillisecond);
    targets.push_back({std::string("split_text ") + page.name + " page vs find splitter, speed",
                       candidate, baseline, Target::Kind::speed_ratio_at_least, 0.5});
  }
  targets.insert(targets.begin(), {"split_text ascii page, bytes per second", "split_text/ascii",
                                   "", Target::Kind::speed_at_least, 1e9});
  return velmora::bench::run_with_targets(argc, argv, targets);
}
