// A share service of our own on 127.0.0.1 that serves a few sample users, so the tool can be run,
// tried and measured without the network.
//
// Pages (UTF-8, "text/html; charset=utf-8"):
//   /share/home?uk=<user key>              the user's share-home page; each share's id appears
//                                          as shareId\":<digits>, inside a JS string of JSON
//   /share/link?shareid=<id>&uk=<user key> one share's link page: "文件名:<name>文件大小:<size>"
//                                          and the download link after dlink\, escaped as
//                                          \":\"http:\\/\\/127.0.0.1:<port>\\/file\\/...\"
//   /file/<path>                           the shared file's bytes
// Anything else, an unknown user or a share of another user, is a 404 page without any of these
// markers. GET and HEAD only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/loopback_server/loopback_server.h"

namespace velmora::sample {

struct SampleFile {
  std::string share_id;  // digits
  std::string name;      // UTF-8, as the link page shows it
  std::string path;      // below /file/, ASCII; may hold folders ("100000002/data/a.csv")
  std::string content;   // the bytes a download gets
};

struct SampleUser {
  std::string user_key;      // nine digits
  std::string display_name;  // UTF-8
  std::vector<SampleFile> shares;
};

using SampleCatalogue = std::vector<SampleUser>;

// The user whose share-home address the window shows at start.
inline constexpr std::string_view default_user_key = "100000001";

// The built-in sample users: the default one with Chinese file names, one with English names and
// deep download paths, one with accented Latin names (which the code page folds or replaces), and
// one without any share.
const SampleCatalogue& builtin_catalogue();

// A user with share_count shares, named and numbered in order (ids from 8000000001 on), each a
// few bytes long; for benchmarks and large runs.
SampleUser generated_user(std::string user_key, std::size_t share_count);

// The pages, as the service sends them. host is "127.0.0.1:<port>", the host of the links.
std::string share_home_page(const SampleUser& user);
std::string link_page(const SampleUser& user, const SampleFile& file, std::string_view host);
// The download link of a file, unescaped: "http://<host>/file/<path>".
std::string download_link(const SampleFile& file, std::string_view host);

// The running service. Stops (closing every connection) when stopped or destroyed.
class SampleService {
 public:
  SampleService(SampleService&&) noexcept;
  SampleService& operator=(SampleService&&) noexcept;
  ~SampleService();

  std::uint16_t port() const noexcept;
  // "127.0.0.1:<port>": the web host to build the tool's addresses with.
  std::string host() const;
  // "http://127.0.0.1:<port>/share/home?uk=<user key>"
  std::string home_address(std::string_view user_key = default_user_key) const;
  const SampleCatalogue& catalogue() const noexcept;
  // The server underneath, for the requests it has recorded.
  loopback::LoopbackServer& server() noexcept;

  void stop();

 private:
  friend SampleService start_sample_service(std::uint16_t, SampleCatalogue);
  struct State;
  explicit SampleService(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Starts serving the catalogue on 127.0.0.1 at the port (0: an ephemeral one). Throws
// std::system_error when the port cannot be bound, std::invalid_argument when the catalogue holds
// a user key twice, a share id twice for one user, or a download path twice.
SampleService start_sample_service(std::uint16_t port = 0,
                                   SampleCatalogue catalogue = builtin_catalogue());

}  // namespace velmora::sample
