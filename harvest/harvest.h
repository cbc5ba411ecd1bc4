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
    user_key,    // the address holds no "uk=" or nothing after it
    share_list,  // the share-home page could not be read or lists no share
    share_id,    // a piece of the share-home page is empty
    file_name,   // a link page without a file name
    link,        // a link page without a download link
  };

  // detail says in English what was missing, for what(); user_detail says it in Chinese (GBK)
  // for user_message(), which falls back to a general sentence when it is empty.
  HarvestStop(Phase phase, Missing missing, std::int32_t share_number, std::string share_id,
              std::string detail, text::Text user_detail = {});

  Phase phase() const noexcept { return phase_; }
  Missing missing() const noexcept { return missing_; }
  // Which share (from 1, in this run) and its id, where the stop concerns one; else 0 and "".
  std::int32_t share_number() const noexcept { return share_number_; }
  const std::string& share_id() const noexcept { return share_id_; }
  // What was missing, in plain Chinese for the user, as GBK bytes: the phase, the share and the
  // piece, and that what was listed before the stop stays.
  text::Text user_message() const;

 private:
  Phase phase_;
  Missing missing_;
  std::int32_t share_number_;
  std::string share_id_;
  text::Text user_detail_;
};

class Harvest {
 public:
  Harvest(HarvestState& state, HarvestView& view, PageFetchers fetchers = PageFetchers::network(),
          std::string host = std::string(service_host()));

  // Both phases; the listing, then, when it ran through, the analysis. Throws HarvestStop.
  void extract_addresses();
  // Reads the share-home page and appends its share ids. Throws HarvestStop.
  void list_shares();
  // Reads the link page of every id the latest listing appended, with the key it stored (the ids
  // of earlier runs belong to the keys of those runs). Throws HarvestStop.
  void analyse_shares();

 private:
  HarvestState& state_;
  HarvestView& view_;
  PageFetchers fetchers_;
  std::string host_;
};

}  // namespace velmora::harvest
