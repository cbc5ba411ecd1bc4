// The harvest command: read one user's share-home page, collect every share id, then read each
// share's link page and list its file name and download link.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "harvest/harvest_state.h"
#include "harvest/harvest_view.h"
#include "text/text.h"

namespace velmora::harvest {

// The service's web host (host[:port]) this build reads.
std::string_view service_host();

// Where the harvest gets its pages; the real fetchers unless a test or a tool gives others.
struct PageFetchers {
  std::function<text::ByteSet(std::string_view)> fetch_page_bytes;
  std::function<text::Text(std::string_view)> fetch_page_text;
  static PageFetchers network();
};

// A harvest that could not go on: something it must read was missing. Everything done before the
// stop stays as it was.
class HarvestStop : public std::runtime_error {
 public:
  enum class Phase { listing, analysis };
  enum class Missing {
    user_key,         // the address holds no "uk=" or nothing after it
    share_list,       // the share-home page could not be read or lists no share
    share_id,         // a piece of the share-home page is empty
    file_name,        // a link page without a file name
    link,             // a link page without a download link
  };

  HarvestStop(Phase phase, Missing missing, std::int32_t share_number, std::string share_id,
              std::string detail);

  Phase phase() const noexcept { return phase_; }
  Missing missing() const noexcept { return missing_; }
  // Which share (from 1, in this run) and its id, where the stop concerns one; else 0 and "".
  std::int32_t share_number() const noexcept { return share_number_; }
  const std::string& share_id() const noexcept { return share_id_; }
  // What was missing, in plain Chinese for the user, as GBK bytes.
  text::Text user_message() const;

 private:
  Phase phase_;
  Missing missing_;
  std::int32_t share_number_;
  std::string share_id_;
};

class Harvest {
 public:
  Harvest(HarvestState& state, HarvestView& view, PageFetchers fetchers = PageFetchers::network(),
          std::string host = std::string(service_host()));

  // Both phases; the listing, then, when it ran through, the analysis. Throws HarvestStop.
  void extract_addresses();
  // Reads the share-home page and appends its share ids. Throws HarvestStop.
  void list_shares();
  // Reads the link page of every id the last listing appended. Throws HarvestStop.
  void analyse_shares();

 private:
  HarvestState& state_;
  HarvestView& view_;
  PageFetchers fetchers_;
  std::string host_;
  std::int32_t first_id_of_run_ = 1;  // member number of the first id the last listing appended
};

}  // namespace velmora::harvest
