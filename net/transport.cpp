#include "net/transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

namespace velmora::net::detail {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr auto kPollSlice = std::chrono::milliseconds(50);

std::atomic<int> g_failing_creations{0};
std::atomic<bool> g_refusing_names{false};

// Called by libcurl before every lookup, of a name or of a numeric address alike.
int refuse_lookup(void*, void*, void*) {
  return 1;
}

bool is_numeric_host(const AddressParts& address) {
  if (address.host_is_ipv6) return true;
  const std::string& host = address.host;
  return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
}

// curl_global_init once for the process, cleaned up after everything that used it.
bool library_ready() {
  struct Library {
    bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    ~Library() {
      if (ready) curl_global_cleanup();
    }
  };
  static Library library;
  return library.ready;
}

struct EasyCleanup {
  void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// Keeps the easy handle in the multi handle for the length of a transfer.
class Attachment {
 public:
  Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
    attached_ = curl_multi_add_handle(multi, easy) == CURLM_OK;
  }
  ~Attachment() {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
  }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
  bool attached() const { return attached_; }

 private:
  CURLM* multi_;
  CURL* easy_;
  bool attached_;
};

struct Progress {
  text::ByteSet* body;
  std::size_t cap;
  bool capped = false;
  Clock::time_point last_activity = Clock::now();
  std::string content_length;  // of the response being read; empty until its header arrives
};

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto& progress = *static_cast<Progress*>(user);
  const std::size_t length = size * count;
  progress.last_activity = Clock::now();
  const std::size_t room = progress.cap - std::min(progress.cap, progress.body->size());
  const std::size_t taken = std::min(room, length);
  try {
    progress.body->insert(progress.body->end(), data, data + taken);
  } catch (...) {
    return 0;  // out of memory: end the read with what is there
  }
  if (taken < length) {
    progress.capped = true;
    return taken;  // a short count makes libcurl end the transfer
  }
  return length;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

bool is_content_length(std::string_view name) {
  constexpr std::string_view expected = "content-length";
  if (name.size() != expected.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = (name[i] >= 'A' && name[i] <= 'Z') ? static_cast<char>(name[i] + 32) : name[i];
    if (c != expected[i]) return false;
  }
  return true;
}

// libcurl takes the last of several differing Content-Length values; such a response's length is
// unknowable (and a way to smuggle a second response into the body), so it ends the transfer.
bool content_length_agrees(Progress& progress, std::string_view line) {
  if (line.starts_with("HTTP/")) {
    progress.content_length.clear();  // a new response: a redirect's or an interim one's
    return true;
  }
  const auto colon = line.find(':');
  if (colon == std::string_view::npos || !is_content_length(trimmed(line.substr(0, colon)))) {
    return true;
  }
  std::string_view values = line.substr(colon + 1);
  while (true) {
    const auto comma = values.find(',');
    const std::string_view value = trimmed(values.substr(0, comma));
    if (progress.content_length.empty()) {
      progress.content_length = std::string(value);
    } else if (value != progress.content_length) {
      return false;
    }
    if (comma == std::string_view::npos) return true;
    values.remove_prefix(comma + 1);
  }
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto& progress = *static_cast<Progress*>(user);
  progress.last_activity = Clock::now();
  const std::size_t length = size * count;
  try {
    if (!content_length_agrees(progress, std::string_view(data, length))) return 0;
  } catch (...) {
    return 0;
  }
  return length;
}

long as_millis(std::chrono::milliseconds value) {
  return static_cast<long>(std::max<std::chrono::milliseconds::rep>(value.count(), 1));
}

}  // namespace

struct SharedCache::Impl {
  CURLSH* share = nullptr;
  std::mutex locks[CURL_LOCK_DATA_LAST];

  static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<Impl*>(user)->locks[data].lock();
  }
  static void unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<Impl*>(user)->locks[data].unlock();
  }
};

SharedCache::SharedCache(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SharedCache::~SharedCache() {
  if (impl_->share) curl_share_cleanup(impl_->share);
}

std::shared_ptr<SharedCache> SharedCache::open(Kind kind) {
  if (!library_ready()) return nullptr;
  try {
    auto impl = std::make_unique<Impl>();
    impl->share = curl_share_init();
    if (!impl->share) return nullptr;
    std::shared_ptr<SharedCache> cache(new SharedCache(std::move(impl)));
    CURLSH* share = cache->impl_->share;
    bool ok = curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Impl::lock) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Impl::unlock) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_USERDATA, cache->impl_.get()) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK;
    if (ok && kind == Kind::names_and_connections) {
      ok = curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK;
    }
    if (!ok) return nullptr;
    return cache;
  } catch (...) {
    return nullptr;
  }
}

void fail_next_request_creations(int count) {
  g_failing_creations = count;
}

void refuse_name_lookups(bool refuse) {
  g_refusing_names = refuse;
}

TransferResult transfer(const TransferRequest& request, const FetchLimits& limits) noexcept {
  TransferResult result;
  try {
    if (!request.address || !library_ready()) return result;
    if (g_failing_creations > 0) {
      --g_failing_creations;
      return result;
    }
    Easy easy(curl_easy_init());
    Multi multi(curl_multi_init());
    HeaderList headers(curl_slist_append(nullptr, "Accept: */*"));
    if (!easy || !multi || !headers) return result;
    result.created = true;

    const AddressParts& address = *request.address;
    const std::string url = request_address(address);
    Progress progress{&result.body, limits.max_body_bytes, false, Clock::now(), {}};
    CURL* e = easy.get();

    bool ok = curl_easy_setopt(e, CURLOPT_URL, url.c_str()) == CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
      ok = ok && curl_easy_setopt(e, option, value) == CURLE_OK;
    };
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, limits.max_redirects > 0 ? 1L : 0L);
    set(CURLOPT_MAXREDIRS, std::max(limits.max_redirects, 0L));
    set(CURLOPT_HTTP_VERSION,
        request.version == HttpVersion::http_1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    set(CURLOPT_USERAGENT, kUserAgent);
    set(CURLOPT_HTTPHEADER, headers.get());
    // Straight to the server: no proxy from the environment, whatever it says.
    set(CURLOPT_PROXY, "");
    set(CURLOPT_NOPROXY, "*");
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, as_millis(limits.connect_timeout));
    set(CURLOPT_TIMEOUT_MS, as_millis(limits.total_timeout));
    set(CURLOPT_WRITEFUNCTION, &on_body);
    set(CURLOPT_WRITEDATA, &progress);
    set(CURLOPT_HEADERFUNCTION, &on_header);
    set(CURLOPT_HEADERDATA, &progress);
    if (address.has_credentials) {
      set(CURLOPT_USERNAME, address.user_name.c_str());
      set(CURLOPT_PASSWORD, address.password.c_str());
    }
    if (request.cache) set(CURLOPT_SHARE, request.cache->impl().share);
    if (g_refusing_names && !is_numeric_host(address)) {
      set(CURLOPT_RESOLVER_START_FUNCTION, &refuse_lookup);
    }
    if (!ok) return result;

    Attachment attachment(multi.get(), e);
    if (!attachment.attached()) return result;

    bool stalled = false;
    int running = 1;
    while (running > 0) {
      if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
      if (running == 0) break;
      auto idle = Clock::now() - progress.last_activity;
      if (idle >= limits.stall_timeout) {
        stalled = true;
        break;
      }
      auto wait = std::min<Clock::duration>(kPollSlice, limits.stall_timeout - idle);
      auto wait_ms = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count() + 1;
      if (curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(wait_ms), nullptr) !=
          CURLM_OK) {
        break;
      }
    }

    CURLcode code = CURLE_RECV_ERROR;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == e) code = message->data.result;
    }
    if (running == 0 && !stalled) {
      char* content_type = nullptr;
      if (curl_easy_getinfo(e, CURLINFO_CONTENT_TYPE, &content_type) == CURLE_OK && content_type) {
        result.content_type = content_type;
      }
    }
    result.complete = running == 0 && !stalled && !progress.capped && code == CURLE_OK;
  } catch (...) {
    result.complete = false;  // out of memory in our own bookkeeping: keep what arrived
  }
  return result;
}

}  // namespace velmora::net::detail
