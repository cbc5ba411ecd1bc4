#include "net/address.h"

#include <charconv>

namespace velmora::net {
namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_alpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_white(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Bytes a request line cannot carry raw.
bool needs_escape(unsigned char c) {
  return c <= 0x20 || c >= 0x7F;
}

bool fits(std::string_view part, std::size_t room) {
  return part.size() < room;
}

std::uint16_t default_port(std::string_view scheme) {
  if (scheme == "http") return 80;
  if (scheme == "https") return 443;
  return 0;
}

}  // namespace

std::optional<AddressParts> cut_address(std::string_view address, const AddressRooms& rooms) {
  while (!address.empty() && is_white(address.back())) address.remove_suffix(1);

  auto scheme_end = address.find("://");
  if (scheme_end == std::string_view::npos || scheme_end == 0) return std::nullopt;
  AddressParts parts;
  for (std::size_t i = 0; i < scheme_end; ++i) {
    char c = address[i];
    bool ok =
        is_alpha(c) || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return std::nullopt;
    parts.scheme += lower(c);
  }

  std::string_view rest = address.substr(scheme_end + 3);
  auto authority_end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authority_end);
  std::string_view path =
      authority_end == std::string_view::npos ? std::string_view{} : rest.substr(authority_end);

  if (auto at = authority.rfind('@'); at != std::string_view::npos) {
    std::string_view credentials = authority.substr(0, at);
    authority.remove_prefix(at + 1);
    auto colon = credentials.find(':');
    std::string_view user = credentials.substr(0, colon);
    std::string_view password =
        colon == std::string_view::npos ? std::string_view{} : credentials.substr(colon + 1);
    if (!fits(user, rooms.user_name) || !fits(password, rooms.password)) return std::nullopt;
    parts.user_name = user;
    parts.password = password;
    parts.has_credentials = true;
  }

  std::string_view host;
  std::string_view port_text;
  bool has_port = false;
  if (!authority.empty() && authority.front() == '[') {
    auto close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      port_text = after.substr(1);
      has_port = true;
    }
    parts.host_is_ipv6 = true;
  } else {
    auto colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
      port_text = authority.substr(colon + 1);
      has_port = true;
    }
  }
  if (host.empty() || !fits(host, rooms.host)) return std::nullopt;
  for (char c : host) {
    if (needs_escape(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) {
      return std::nullopt;
    }
  }
  parts.host = host;

  parts.port = default_port(parts.scheme);
  if (has_port && !port_text.empty()) {
    unsigned value = 0;
    auto [end, error] =
        std::from_chars(port_text.data(), port_text.data() + port_text.size(), value);
    if (error != std::errc{} || end != port_text.data() + port_text.size() || value > 65535) {
      return std::nullopt;
    }
    if (value != 0) parts.port = static_cast<std::uint16_t>(value);
  }

  // push_back rather than assigning "/": GCC 12 at -O3 warns falsely (-Wrestrict) on the assign.
  if (path.empty() || path.front() != '/') parts.path.push_back('/');
  parts.path += path;
  if (!fits(parts.path, rooms.path)) return std::nullopt;
  return parts;
}

std::string_view without_fragment(std::string_view path) {
  return path.substr(0, path.find('#'));
}

std::string wire_safe_target(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if (needs_escape(byte)) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string request_address(const AddressParts& parts) {
  std::string out = parts.scheme + "://";
  if (parts.host_is_ipv6) {
    out += '[' + parts.host + ']';
  } else {
    out += parts.host;
  }
  out += ':' + std::to_string(parts.port);
  out += wire_safe_target(without_fragment(parts.path));
  return out;
}

}  // namespace velmora::net
