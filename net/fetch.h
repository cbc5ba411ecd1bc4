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
text::ByteSet fetch_page_bytes(std::string_view address);

// An HTTP/1.1 GET whose body is decoded (Content-Type charset, else byte-order mark, else UTF-8)
// and converted to code page 936 up to the first U+0000. Empty on any failure.
text::Text fetch_page_text(std::string_view address);

// Bounds that keep a fetch from waiting forever or growing without end. One set for the whole
// process; tests shrink them.
struct FetchLimits {
  std::chrono::milliseconds connect_timeout{15'000};
  std::chrono::milliseconds stall_timeout{30'000};  // no byte for this long ends the read
  std::chrono::milliseconds total_timeout{180'000};
  std::size_t max_body_bytes = 64u << 20;
  long max_redirects = 5;
};

FetchLimits fetch_limits();
void set_fetch_limits(const FetchLimits& limits);

// Releases the process-wide root of the plain fetch; the next fetch opens it again. Called at
// program end (and registered to run then on its own).
void release_internet_root();

}  // namespace velmora::net
