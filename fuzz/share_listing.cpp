// The share listing over a share-home page that is the fuzz input: nothing may escape but the
// harvest's own stop, and every id it appends must come from the page.
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "fuzz/recording_view.h"
#include "harvest/harvest.h"

namespace velmora::fuzz {

int share_listing(const std::uint8_t* data, std::size_t size) {
  const text::ByteSet page(data, data + size);
  std::vector<std::string> requested;
  harvest::PageFetchers fetchers{[&](std::string_view address) {
                                   requested.emplace_back(address);
                                   return page;
                                 },
                                 [&](std::string_view address) {
                                   requested.emplace_back(address);
                                   return text::Text();
                                 }};
  harvest::HarvestState state;
  RecordingView view;
  view.address = "http://example.invalid/share/home?uk=2685";
  harvest::Harvest harvest(state, view, fetchers, "host.invalid");

  bool ran_through = true;
  try {
    harvest.list_shares();
  } catch (const harvest::HarvestStop& stop) {
    ran_through = false;
    require(!stop.user_message().empty(), "listing: a stop without a message");
  }
  require(requested.size() <= 1, "listing: more than one page read");
  if (!requested.empty()) {
    require(requested[0] == "http://host.invalid/share/home?uk=2685", "listing: address");
  }
  require(state.user_key == "2685", "listing: user key");

  // The page as the harvest sees it ends at its first zero byte.
  const std::string page_text = text::bytes_to_text(page);
  std::size_t markers = 0;
  for (std::size_t at = page_text.find("shareId\\"); at != std::string::npos;
       at = page_text.find("shareId\\", at + 1)) {
    ++markers;
  }
  require(static_cast<std::size_t>(state.share_ids.count()) <= markers, "listing: id count");
  for (std::int32_t k = 1; k <= state.share_ids.count(); ++k) {
    const std::string_view id = state.share_ids.member(k);
    require(id.find(',') == std::string_view::npos, "listing: an id holds a comma");
    require(page_text.find(id) != std::string::npos, "listing: an id not on the page");
  }
  require(view.maximum >= 0 && view.maximum <= 32767, "listing: progress maximum");
  if (ran_through) {
    require(state.share_ids.count() >= 1, "listing: ran through without an id");
    require(view.bad_status_lines == 0, "listing: status line number");
  }
  return 0;
}

}  // namespace velmora::fuzz
