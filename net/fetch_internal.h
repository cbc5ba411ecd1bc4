// What the fetchers keep between calls, open to tests (and to nothing else in the program).
#pragma once

#include <string>
#include <string_view>

namespace velmora::net::internal {

// How often the plain fetch's root has been opened in this process, and whether it is open now.
int root_open_count();
bool root_is_open();

// Fault injection: the next `count` attempts to open the root, or to create a request object
// (in either fetcher), fail.
void fail_next_root_opens(int count);
void fail_next_request_creations(int count);

// The charset parameter of a Content-Type value ("text/html; charset=\"GBK\"" gives "GBK");
// empty when there is none.
std::string charset_of(std::string_view content_type);

}  // namespace velmora::net::internal
