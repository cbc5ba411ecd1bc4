#include "harvest/harvest.h"

#include "net/fetch.h"

namespace velmora::harvest {

std::string_view service_host() { return VELMORA_SERVICE_HOST; }

PageFetchers PageFetchers::network() {
  return PageFetchers{[](std::string_view address) { return net::fetch_page_bytes(address); },
                      [](std::string_view address) { return net::fetch_page_text(address); }};
}

// The two phases arrive with the harvest work; until then the command does nothing.
Harvest::Harvest(HarvestState& state, HarvestView& view, PageFetchers fetchers, std::string host)
    : state_(state), view_(view), fetchers_(std::move(fetchers)), host_(std::move(host)) {}

void Harvest::extract_addresses() {}
void Harvest::list_shares() {}
void Harvest::analyse_shares() {}

}  // namespace velmora::harvest
