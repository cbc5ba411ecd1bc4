// The plain fetch's address cutting over any address: a cut address has its parts within their
// rooms, a request target that can stand raw on the wire, and a request address that cuts back
// into the same scheme, host and port.
#include <string>

#include "fuzz/fuzz_targets.h"
#include "net/address.h"

namespace velmora::fuzz {

namespace {

void check_parts(const net::AddressParts& parts, const net::AddressRooms& rooms) {
  require(!parts.scheme.empty() && !parts.host.empty(), "address: empty scheme or host");
  for (char c : parts.scheme) require(!(c >= 'A' && c <= 'Z'), "address: scheme not lower case");
  require(parts.host.size() < rooms.host && parts.user_name.size() < rooms.user_name &&
              parts.password.size() < rooms.password && parts.path.size() < rooms.path,
          "address: a part outside its room");
  require(!parts.path.empty() && parts.path.front() == '/', "address: path without its slash");
  if (parts.scheme == "http" || parts.scheme == "https") {
    require(parts.port != 0, "address: no port for a web scheme");
  }

  const std::string_view path = net::without_fragment(parts.path);
  require(parts.path.starts_with(path) && path.find('#') == std::string_view::npos,
          "address: fragment kept");
  const std::string target = net::wire_safe_target(path);
  for (char c : target) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte > 0x20 && byte < 0x7F, "address: a raw byte the request line cannot carry");
  }

  const std::string request = net::request_address(parts);
  const auto again = net::cut_address(request, net::AddressRooms::unlimited());
  require(again.has_value(), "address: the request address does not cut");
  require(again->scheme == parts.scheme && again->host == parts.host && again->port == parts.port &&
              !again->has_credentials,
          "address: the request address names another server");
  require(again->path == target, "address: the request address carries another target");
}

}  // namespace

int address_cutting(const std::uint8_t* data, std::size_t size) {
  const std::string_view address(reinterpret_cast<const char*>(data), size);
  const net::AddressRooms rooms;
  if (const auto parts = net::cut_address(address, rooms)) check_parts(*parts, rooms);
  if (const auto parts = net::cut_address(address, net::AddressRooms::unlimited())) {
    check_parts(*parts, net::AddressRooms::unlimited());
  }
  return 0;
}

}  // namespace velmora::fuzz
