// Stand-in until the libcurl transport lands: every fetch fails.
#include "net/fetch.h"

namespace velmora::net {
namespace {
FetchLimits g_limits;
}
text::ByteSet fetch_page_bytes(std::string_view) { return {}; }
text::Text fetch_page_text(std::string_view) { return {}; }
FetchLimits fetch_limits() { return g_limits; }
void set_fetch_limits(const FetchLimits& limits) { g_limits = limits; }
void release_internet_root() {}
}  // namespace velmora::net
