// Addresses and share-home pages that a user or the service can get wrong, with what a harvest
// of each must give: a clear stop or a correct result, and exactly these requests on the wire.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "harvest/harvest.h"
#include "tools/loopback_server/loopback_server.h"

namespace velmora::badinput {

using Missing = harvest::HarvestStop::Missing;

struct BadInputRow {
  const char* name;
  std::string address;                     // the address box's content, as GBK bytes
  std::function<std::string()> home_page;  // what the share-home page holds
  bool link_pages_answer = true;           // false: every link page is an empty 404
  std::optional<Missing> stop;             // nullopt: the harvest runs through
  std::string user_key;                    // the key afterwards ("before" when it stays)
  // Every request target on the wire, in order. Both fetchers drop white space at the end of
  // an address, as the system's address cutter does.
  std::vector<std::string> targets;
  std::int32_t share_ids = 0;  // ids in the list afterwards
};

inline void PrintTo(const BadInputRow& row, std::ostream* os) {
  *os << row.name;
}

inline std::string one_share_page() {
  return "<p>{\"shareId\\\":7,\"k\":1}</p>";
}

// The link page of share id: file name "file-<id>", link "http://d/<id>/f".
inline std::string link_page_of(const std::string& id) {
  return "\xCE\xC4\xBC\xFE\xC3\xFB:file-" + id +
         "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:1KB \"dlink\\\":\\\"http:\\\\/\\\\/d\\\\/" + id +
         "\\\\/f\\\",";
}

// Serves the row's share-home page and a link page for every share id.
inline loopback::Handler service_for(const BadInputRow& row) {
  auto home = std::make_shared<std::string>(row.home_page());
  const bool answer = row.link_pages_answer;
  return [home, answer](const loopback::Request& request, loopback::Connection& connection) {
    if (request.target.starts_with("/share/home")) {
      connection.send(loopback::http_response(200, *home));
      return;
    }
    const auto at = request.target.find("shareid=");
    if (!answer || at == std::string::npos) {
      connection.send(loopback::http_response(404, ""));
      return;
    }
    const auto id = request.target.substr(at + 8, request.target.find('&') - at - 8);
    connection.send(loopback::http_response(200, link_page_of(id),
                                            {{"Content-Type", "text/html; charset=GBK"}}));
  };
}

// 50 MiB of bytes 0x01..0xFF (no zero byte, so the whole page is a text), then one share.
inline std::string noise_then_one_share() {
  std::mt19937 random(5);
  std::string page(50u << 20, '\0');
  for (char& byte : page) byte = static_cast<char>(1 + random() % 255);
  // An ASCII byte first, so the marker cannot be taken for a second byte.
  return page + " {\"shareId\\\":7,\"k\":1}";
}

inline std::string forty_thousand_shares() {
  std::string page = "<list>";
  for (int i = 1; i <= 40000; ++i) page += "{\"shareId\\\":" + std::to_string(i) + ",\"k\":1}";
  return page;
}

inline std::vector<BadInputRow> bad_input_rows() {
  const std::string home = "/share/home?uk=";
  const std::string link7 = "/share/link?shareid=7&uk=";
  return {
      {"AddressWithoutTheKeyMarker",
       "http://pan.example/share/home?user=5",
       one_share_page,
       true,
       Missing::user_key,
       "before",
       {},
       0},
      {"AddressEndingRightAfterTheKeyMarker",
       "http://pan.example/share/home?uk=",
       one_share_page,
       true,
       Missing::user_key,
       "before",
       {},
       0},
      {"KeyHoldingSpaces",
       "http://pan.example/share/home?uk=12 34 ",
       one_share_page,
       true,
       std::nullopt,
       "12 34 ",
       {home + "12%2034", link7 + "12%2034"},
       1},
      {"KeyHoldingCrLfAndAHeader",
       "uk=5\r\nX-Injected: yes\r\n",
       one_share_page,
       true,
       std::nullopt,
       "5\r\nX-Injected: yes\r\n",
       {home + "5%0D%0AX-Injected:%20yes", link7 + "5%0D%0AX-Injected:%20yes"},
       1},
      {"KeyHoldingAHash",
       "uk=5#part",
       one_share_page,
       true,
       std::nullopt,
       "5#part",
       {home + "5", link7 + "5"},
       1},
      {"KeyHoldingBytesThatAreNoGbk",
       "uk=\x80\xFF\xC0?\xBC\xFC",
       one_share_page,
       true,
       std::nullopt,
       "\x80\xFF\xC0?\xBC\xFC",
       {home + "%80%FF%C0?%BC%FC", link7 + "%80%FF%C0?%BC%FC"},
       1},
      // The plain fetch's path has room for 2047 bytes: a longer one is never sent.
      {"MegabyteAddress",
       "uk=" + std::string(1u << 20, '9'),
       one_share_page,
       true,
       Missing::share_list,
       std::string(1u << 20, '9'),
       {},
       0},
      {"FiftyMegabytesOfNoiseBeforeOneShare",
       "uk=3",
       noise_then_one_share,
       true,
       std::nullopt,
       "3",
       {home + "3", "/share/link?shareid=7&uk=3"},
       1},
      // The listing takes every id; the first link page then stops the analysis.
      {"FortyThousandShares",
       "uk=4",
       forty_thousand_shares,
       false,
       Missing::file_name,
       "4",
       {home + "4", "/share/link?shareid=1&uk=4"},
       40000},
  };
}

}  // namespace velmora::badinput
