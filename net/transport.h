// The one HTTP transport beneath both page fetchers: a GET on libcurl with the process's
// fetch limits, its own request safety and no proxy. Internal to net/.
#pragma once

#include <memory>
#include <string>

#include "net/address.h"
#include "net/fetch.h"
#include "text/text.h"

namespace velmora::net::detail {

// A set of things requests may share (a name cache, a connection cache). Opened once and kept;
// every request that names it uses it. Safe to use from several threads.
class SharedCache {
 public:
  enum class Kind { names, names_and_connections };
  // Null when the library or the cache cannot be set up.
  static std::shared_ptr<SharedCache> open(Kind kind);
  ~SharedCache();
  SharedCache(const SharedCache&) = delete;
  SharedCache& operator=(const SharedCache&) = delete;

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  explicit SharedCache(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

enum class HttpVersion { http_1_0, http_1_1 };

struct TransferRequest {
  const AddressParts* address = nullptr;
  HttpVersion version = HttpVersion::http_1_1;
  SharedCache* cache = nullptr;  // optional
};

struct TransferResult {
  bool created = false;      // false: the request object could not be made; nothing was sent
  bool complete = false;     // the whole body arrived, within the limits
  text::ByteSet body;        // what arrived (up to the body cap), also when incomplete
  std::string content_type;  // of the final response; empty when none
};

// Runs one GET. Never throws.
TransferResult transfer(const TransferRequest& request, const FetchLimits& limits) noexcept;

// Test hook: the next `count` request objects fail to be created.
void fail_next_request_creations(int count);
// Test hook: while on, hosts written as names fail their lookup without asking a name server.
void refuse_name_lookups(bool refuse);

}  // namespace velmora::net::detail
