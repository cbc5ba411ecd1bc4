#include "net/fetch.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "net/address.h"
#include "net/fetch_internal.h"
#include "net/transport.h"
#include "text/codepage.h"

namespace velmora::net {
namespace {

using detail::SharedCache;

std::mutex g_limits_mutex;
FetchLimits g_limits;

// The plain fetch's root: opened by the first fetch that gets past cutting its address, kept for
// the run. It holds the name cache its requests share.
std::mutex g_root_mutex;
std::shared_ptr<SharedCache> g_root;
int g_root_opens = 0;
std::atomic<int> g_failing_root_opens{0};
std::once_flag g_release_at_exit;

std::shared_ptr<SharedCache> internet_root() {
  std::lock_guard lock(g_root_mutex);
  if (!g_root) {
    if (g_failing_root_opens > 0) {
      --g_failing_root_opens;
      return nullptr;
    }
    g_root = SharedCache::open(SharedCache::Kind::names);
    if (!g_root) return nullptr;
    ++g_root_opens;
    std::call_once(g_release_at_exit, [] { std::atexit(release_internet_root); });
  }
  return g_root;
}

// Beneath the scripted fetch's per-call request objects, as beneath the system's own HTTP
// objects: connections stay open and are reused from call to call.
SharedCache* connection_cache() {
  static std::shared_ptr<SharedCache> cache =
      SharedCache::open(SharedCache::Kind::names_and_connections);
  return cache.get();
}

bool is_web_scheme(std::string_view scheme) {
  return scheme == "http" || scheme == "https";
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

text::ByteSet fetch_page_bytes(std::string_view address) {
  try {
    if (address.empty()) return {};
    auto parts = cut_address(address);
    if (!parts) return {};
    auto root = internet_root();
    if (!root || !is_web_scheme(parts->scheme)) return {};
    auto result =
        detail::transfer({&*parts, detail::HttpVersion::http_1_0, root.get()}, fetch_limits());
    return std::move(result.body);
  } catch (...) {
    return {};
  }
}

text::Text fetch_page_text(std::string_view address) {
  try {
    auto parts = cut_address(address, AddressRooms::unlimited());
    if (!parts || !is_web_scheme(parts->scheme)) return {};
    auto* cache = connection_cache();
    if (!cache) return {};
    auto result = detail::transfer({&*parts, detail::HttpVersion::http_1_1, cache}, fetch_limits());
    // A page cut short would hand the harvest a cut-off link as if it were whole.
    if (!result.complete) return {};
    std::u16string unicode =
        text::decode_body(result.body, internal::charset_of(result.content_type));
    if (auto zero = unicode.find(u'\0'); zero != std::u16string::npos) unicode.resize(zero);
    return text::unicode_to_ansi(unicode);
  } catch (...) {
    return {};
  }
}

FetchLimits fetch_limits() {
  std::lock_guard lock(g_limits_mutex);
  return g_limits;
}

void set_fetch_limits(const FetchLimits& limits) {
  std::lock_guard lock(g_limits_mutex);
  g_limits = limits;
}

void release_internet_root() {
  std::shared_ptr<SharedCache> released;
  std::lock_guard lock(g_root_mutex);
  released.swap(g_root);
}

namespace internal {

int root_open_count() {
  std::lock_guard lock(g_root_mutex);
  return g_root_opens;
}

bool root_is_open() {
  std::lock_guard lock(g_root_mutex);
  return g_root != nullptr;
}

void fail_next_root_opens(int count) {
  g_failing_root_opens = count;
}

void fail_next_request_creations(int count) {
  detail::fail_next_request_creations(count);
}

void refuse_name_lookups(bool refuse) {
  detail::refuse_name_lookups(refuse);
}

std::string charset_of(std::string_view content_type) {
  std::string_view rest = content_type;
  while (true) {
    auto semicolon = rest.find(';');
    if (semicolon == std::string_view::npos) return {};
    rest.remove_prefix(semicolon + 1);
    auto end = rest.find(';');
    std::string_view parameter = trim(rest.substr(0, end));
    auto equals = parameter.find('=');
    if (equals == std::string_view::npos) continue;
    if (!iequals(trim(parameter.substr(0, equals)), "charset")) continue;
    std::string_view value = trim(parameter.substr(equals + 1));
    if (!value.empty() && value.front() == '"') {
      // A quoted value may hold a ";": take it up to the closing quote in the whole text.
      std::string_view quoted = rest.substr(rest.find('"') + 1);
      return std::string(quoted.substr(0, quoted.find('"')));
    }
    return std::string(value);
  }
}

}  // namespace internal
}  // namespace velmora::net
