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

// While on, a host written as a name is never looked up: the lookup fails at once, as for a name
// that does not resolve, and nothing is sent to a name server. Tests turn it on so that an
// "unresolvable host" case never leaves the machine.
void refuse_name_lookups(bool refuse);

// The charset parameter of a Content-Type value ("text/html; charset=\"GBK\"" gives "GBK");
// empty when there is none.
std::string charset_of(std::string_view content_type);

}  // namespace velmora::net::internal
