// The two ways of getting a page. Both block until the page has arrived or failed, and both
// report every failure only as an empty (or, for a read cut short, partial) result.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

#include "text/text.h"

namespace velmora::net {

// A plain HTTP/1.0 GET; the body byte for byte, whatever the status. Empty on any failure; the
// bytes read so far when the read fails part-way, stalls, or passes the body cap.
// The address is cut with cut_address (net/address.h) and its rooms; only http and https lead to
// a request. Bytes that cannot stand raw in a request line are sent percent-encoded.
text::ByteSet fetch_page_bytes(std::string_view address);

// An HTTP/1.1 GET whose body is decoded (Content-Type charset, else byte-order mark, else UTF-8)
// and converted to code page 936 up to the first U+0000. Empty on any failure, including a body
// that does not arrive whole (cut, stalled, or past the body cap): half a page is never handed on
// as if it were the page. Connections are kept and reused from call to call.
text::Text fetch_page_text(std::string_view address);

// Bounds that keep a fetch from waiting forever or growing without end. One set for the whole
// process; tests shrink them.
struct FetchLimits {
  std::chrono::milliseconds connect_timeout{15'000};
  // No byte for this long (counted from the start of the request, then from the last body bytes
  // or whole header line received) ends the read.
  std::chrono::milliseconds stall_timeout{30'000};
  std::chrono::milliseconds total_timeout{180'000};
  std::size_t max_body_bytes = 64u << 20;
  long max_redirects = 5;  // followed only to http and https; 0 follows none
};

FetchLimits fetch_limits();
void set_fetch_limits(const FetchLimits& limits);

// Releases the process-wide root of the plain fetch; the next fetch opens it again. Called at
// program end (and registered to run then on its own).
void release_internet_root();

}  // namespace velmora::net
