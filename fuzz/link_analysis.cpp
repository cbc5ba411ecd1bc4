// The link analysis over link pages that are the fuzz input: nothing may escape but the
// harvest's own stop, names and links stay row for row, and every name comes from the page.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "fuzz/recording_view.h"
#include "harvest/harvest.h"

namespace velmora::fuzz {

int link_analysis(const std::uint8_t* data, std::size_t size) {
  // The scripted fetch's text never holds a zero byte: it ends at the first one.
  std::string link_page(reinterpret_cast<const char*>(data), size);
  link_page.resize(std::min(link_page.size(), link_page.find('\0')));
  const std::string home = "{\"shareId\\\":11,\"x\":1},{\"shareId\\\":22,\"x\":2}";
  std::vector<std::string> requested;
  harvest::PageFetchers fetchers{[&](std::string_view address) {
                                   requested.emplace_back(address);
                                   return text::ByteSet(home.begin(), home.end());
                                 },
                                 [&](std::string_view address) {
                                   requested.emplace_back(address);
                                   return link_page;
                                 }};
  harvest::HarvestState state;
  RecordingView view;
  view.address = "uk=77";
  harvest::Harvest harvest(state, view, fetchers, "host.invalid");

  bool ran_through = true;
  try {
    harvest.extract_addresses();
  } catch (const harvest::HarvestStop& stop) {
    ran_through = false;
    require(!stop.user_message().empty(), "analysis: a stop without a message");
    require(stop.phase() == harvest::HarvestStop::Phase::analysis, "analysis: stop phase");
  }
  const std::size_t names = view.file_names.size(), links = view.links.size();
  require(names == links || names == links + 1, "analysis: names and links out of step");
  for (const auto& name : view.file_names) {
    require(link_page.find(name) != std::string::npos, "analysis: a name not on the page");
  }
  if (ran_through) {
    require(names == 2 && links == 2, "analysis: one row per share");
    require(requested.size() == 3, "analysis: one page per share");
  }
  return 0;
}

}  // namespace velmora::fuzz
