// The share listing over a share-home page that is the fuzz input: nothing may escape but the
// harvest's own stop, and every id it appends must come from the page.
#include <algorithm>
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
  // Id k is the text before the first comma of the piece after marker k, less two bytes.
  const text::TextList pieces = text::split_text(page_text, "shareId\\");
  require(state.share_ids.count() <= std::max(pieces.count() - 1, 0), "listing: id count");
  for (std::int32_t k = 1; k <= state.share_ids.count(); ++k) {
    const text::TextList before_comma = text::split_text(pieces.member(k + 1), ",", 1);
    const std::string_view first = before_comma.member(1);
    const std::string_view expected = first.size() > 2 ? first.substr(2) : std::string_view();
    require(state.share_ids.member(k) == expected, "listing: an id not cut as the page says");
  }
  require(view.maximum >= 0 && view.maximum <= 32767, "listing: progress maximum");
  if (ran_through) {
    require(state.share_ids.count() >= 1, "listing: ran through without an id");
    require(view.bad_status_lines == 0, "listing: status line number");
  }
  return 0;
}

}  // namespace velmora::fuzz
