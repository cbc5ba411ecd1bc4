// Cutting an absolute address into the parts a request is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::net {

// Buffer sizes for the parts, in characters, the terminating zero included (as the system's own
// address cutter counts them): a host of 256 characters does not fit, one of 255 does.
struct AddressRooms {
  std::size_t host = 256;
  std::size_t user_name = 128;
  std::size_t password = 128;
  std::size_t path = 2048;  // path, query and fragment together

  static constexpr AddressRooms unlimited() { return {SIZE_MAX, SIZE_MAX, SIZE_MAX, SIZE_MAX}; }
};

struct AddressParts {
  std::string scheme;  // lower case, e.g. "http"
  std::string host;    // without the brackets of an IPv6 literal
  bool host_is_ipv6 = false;
  // As written, else the scheme's default (80 for http, 443 for https, 0 for others); a written
  // port of 0 also means the default.
  std::uint16_t port = 0;
  std::string user_name;  // as written, not decoded; empty when none
  std::string password;
  bool has_credentials = false;
  std::string path;  // starts with "/"; with the query and the fragment, as written
};

// scheme://[user[:password]@]host[:port][/path][?query][#fragment]. Trailing white space is
// dropped first. Empty when the address cannot be cut: no "://", an empty scheme or host, a port
// that is not a number from 0 to 65535, an unclosed IPv6 bracket, or a part longer than its room.
std::optional<AddressParts> cut_address(std::string_view address, const AddressRooms& rooms = {});

// The path with everything from its first "#" on dropped.
std::string_view without_fragment(std::string_view path);

// The request target as it may go on the wire: every byte that cannot stand raw in a request
// line (control bytes, space, 0x7F, bytes of 0x80 and above) becomes %XX; all others, "%" among
// them, stay as written.
std::string wire_safe_target(std::string_view path);

// The address handed to the transport: scheme, host, port and the wire-safe target without the
// fragment. Credentials are not part of it; they travel separately.
std::string request_address(const AddressParts& parts);

}  // namespace velmora::net
