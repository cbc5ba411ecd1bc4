// Test doubles for the harvest: a window that records every change in order, a service that
// answers from a table of pages and records what was asked, and GBK conversions made with iconv,
// independently of the program's own.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/harvest.h"
#include "harvest/harvest_view.h"

namespace velmora::harvest::testing {

// Converts between UTF-8 and GBK; throws on bytes that do not convert.
inline std::string iconv_convert(std::string_view input, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string in(input);
  std::string out(in.size() * 4 + 4, '\0');
  char* in_ptr = in.data();
  char* out_ptr = out.data();
  std::size_t in_left = in.size();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("bytes do not convert");
  out.resize(out.size() - out_left);
  return out;
}

inline std::string gbk(std::string_view utf8) {
  return iconv_convert(utf8, "GBK", "UTF-8");
}

// For messages and logs: GBK shown as UTF-8, bytes that are not GBK shown as <hex>.
inline std::string readable(std::string_view gbk_text) {
  try {
    return iconv_convert(gbk_text, "UTF-8", "GBK");
  } catch (const std::runtime_error&) {
    std::string shown = "<";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (unsigned char byte : gbk_text) {
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 15];
    }
    return shown + ">";
  }
}

// The window as the harvest sees it. Stores what the progress bar stores (limited to 0..32767)
// and keeps every change as one readable line, texts in UTF-8.
class RecordingView : public HarvestView {
 public:
  std::string address;  // what read_address gives (GBK)
  std::string status[3];
  std::string counter;
  std::int32_t minimum = 0;
  std::int32_t maximum = 100;
  std::int32_t position = 0;
  std::vector<std::string> names;  // as added, GBK
  std::vector<std::string> links;
  std::vector<std::string> calls;

  text::Text read_address() override { return address; }
  void set_status_line(int line, std::string_view text) override {
    status[line - 1] = std::string(text);
    calls.push_back("status " + std::to_string(line) + ": " + readable(text));
  }
  void set_counter_text(std::string_view text) override {
    counter = std::string(text);
    calls.push_back("counter: " + readable(text));
  }
  std::int32_t progress_minimum() override { return minimum; }
  std::int32_t progress_maximum() override { return maximum; }
  void set_progress_maximum(std::int32_t n) override {
    maximum = std::clamp(n, 0, 32767);
    calls.push_back("maximum " + std::to_string(n));
  }
  std::int32_t progress_position() override { return position; }
  void set_progress_position(std::int32_t n) override {
    position = std::clamp(n, 0, 32767);
    calls.push_back("position " + std::to_string(n));
  }
  void add_file_name(std::string_view name) override {
    names.emplace_back(name);
    calls.push_back("name: " + readable(name));
  }
  void add_link(std::string_view link) override {
    links.emplace_back(link);
    calls.push_back("link: " + readable(link));
  }
};

// The service: pages by address (a missing address is a failed fetch, an empty result), and
// every address asked for, in order, with the kind of fetch.
struct FakeService {
  std::map<std::string, std::string> home_pages;  // fetched as bytes
  std::map<std::string, std::string> link_pages;  // fetched as text
  std::vector<std::string> requests;

  PageFetchers fetchers() {
    return PageFetchers{[this](std::string_view address) {
                          requests.push_back("bytes " + std::string(address));
                          const auto page = home_pages.find(std::string(address));
                          if (page == home_pages.end()) return text::ByteSet();
                          return text::ByteSet(page->second.begin(), page->second.end());
                        },
                        [this](std::string_view address) {
                          requests.push_back("text " + std::string(address));
                          const auto page = link_pages.find(std::string(address));
                          return page == link_pages.end() ? text::Text() : page->second;
                        }};
  }
};

inline constexpr std::string_view kHost = "share.test";

inline std::string home_address(std::string_view key) {
  return "http://" + std::string(kHost) + "/share/home?uk=" + std::string(key);
}
inline std::string link_address(std::string_view id, std::string_view key) {
  return "http://" + std::string(kHost) + "/share/link?shareid=" + std::string(id) +
         "&uk=" + std::string(key);
}

// A share-home page in the service's shape, one record per id.
inline std::string home_page(const std::vector<std::string>& ids) {
  std::string page = "<script>var records=[";
  for (const auto& id : ids) page += "{\\\"shareId\\\":" + id + ",\\\"title\\\":\\\"x\\\"},";
  return page + "];</script>";
}

// A link page in the service's shape (GBK): the name between its markers, and the link as the
// page's escaped string: every "/" written "\\/", the closing quote escaped.
inline std::string link_page(std::string_view name_utf8, std::string_view link) {
  std::string escaped;
  for (char c : link) escaped += c == '/' ? std::string("\\\\/") : std::string(1, c);
  return gbk("<div>文件名:") + gbk(name_utf8) + gbk("文件大小:12KB</div>") +
         "<script>var f={\\\"fs_id\\\":1,\\\"dlink\\\":\\\"" + escaped +
         "\\\",\\\"md5\\\":\\\"0\\\"};</script>";
}

}  // namespace velmora::harvest::testing
