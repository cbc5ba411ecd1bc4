// Cutting addresses into parts, the room each part has, and what may reach the wire raw.
#include "net/address.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velmora::net {
namespace {

struct CutCase {
  std::string address;
  std::string scheme, host;
  std::uint16_t port;
  std::string user_name, password, path;
};

TEST(CutAddress, SplitsEveryPartAndSuppliesTheSchemesDefaultPort) {
  const CutCase cases[] = {
      {"http://user:pw@Host.example:8080/p/a?q=1#frag", "http", "Host.example", 8080, "user", "pw",
       "/p/a?q=1#frag"},
      {"HtTp://h/x", "http", "h", 80, "", "", "/x"},
      {"HTTPS://h", "https", "h", 443, "", "", "/"},
      {"http://h?uk=1", "http", "h", 80, "", "", "/?uk=1"},
      {"http://h:/x", "http", "h", 80, "", "", "/x"},
      {"http://[::1]:81/x", "http", "::1", 81, "", "", "/x"},
      {"http://a@b:c@h/x", "http", "h", 80, "a@b", "c", "/x"},  // the last "@" ends them
      {"ftp://h/file", "ftp", "h", 0, "", "", "/file"},
      {"http://h/a b\r\n \t", "http", "h", 80, "", "", "/a b"},  // trailing white space dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    auto parts = cut_address(c.address);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->scheme, c.scheme);
    EXPECT_EQ(parts->host, c.host);
    EXPECT_EQ(parts->port, c.port);
    EXPECT_EQ(parts->user_name, c.user_name);
    EXPECT_EQ(parts->password, c.password);
    EXPECT_EQ(parts->has_credentials, !c.user_name.empty());
    EXPECT_EQ(parts->path, c.path);
  }
}

TEST(CutAddress, RejectsAddressesThatCannotBeCut) {
  for (const char* address :
       {"", "h/x", "://h/x", "http://", "http:///x", "http://:80/x", "http://h:99999/",
        "http://h:8x/", "http://h:-1/", "http://[::1/", "http://[::1]x/", "1http://h/",
        "ht tp://h/", "http://h\x01/", "http://a b/"}) {
    EXPECT_FALSE(cut_address(address)) << address;
  }
}

TEST(CutAddress, EachPartHasItsRoomTheTerminatingZeroIncluded) {
  struct Room {
    const char* part;
    std::function<std::string(std::size_t)> address_with;  // the part at that length
    std::size_t room;
  };
  const Room rooms[] = {
      {"host", [](std::size_t n) { return "http://" + std::string(n, 'h') + "/"; }, 256},
      {"user name", [](std::size_t n) { return "http://" + std::string(n, 'u') + ":p@h/"; }, 128},
      {"password", [](std::size_t n) { return "http://u:" + std::string(n, 'p') + "@h/"; }, 128},
      {"path", [](std::size_t n) { return "http://h/" + std::string(n - 1, 'p'); }, 2048},
      {"path with query and fragment",
       [](std::size_t n) { return "http://h/?" + std::string(n - 5, 'q') + "#ab"; }, 2048},
  };
  for (const auto& room : rooms) {
    SCOPED_TRACE(room.part);
    EXPECT_TRUE(cut_address(room.address_with(room.room - 1)));
    EXPECT_FALSE(cut_address(room.address_with(room.room)));
    EXPECT_TRUE(cut_address(room.address_with(room.room), AddressRooms::unlimited()));
  }
}

TEST(WireSafeTarget, EscapesOnlyBytesThatCannotStandRawInARequestLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"/share/home?uk=12&x=%41~!*'();:@&=+$,/[]", "/share/home?uk=12&x=%41~!*'();:@&=+$,/[]"},
      {"/a b", "/a%20b"},
      {"/x\r\nX-Injected: 1", "/x%0D%0AX-Injected:%201"},
      {std::string("/\x01\x1f\x7f", 4), "/%01%1F%7F"},
      {"/\x80\xff\xce\xc4", "/%80%FF%CE%C4"},
      {std::string("/a\0b", 4), "/a%00b"},
  };
  for (const auto& [path, wire] : cases) EXPECT_EQ(wire_safe_target(path), wire) << wire;
}

TEST(RequestAddress, DropsTheFragmentAndCarriesNoCredentials) {
  auto parts = cut_address("http://u:p@h:81/a b?q=1#frag#more");
  ASSERT_TRUE(parts);
  EXPECT_EQ(request_address(*parts), "http://h:81/a%20b?q=1");
  auto ipv6 = cut_address("https://[::1]/");
  ASSERT_TRUE(ipv6);
  EXPECT_EQ(request_address(*ipv6), "https://[::1]:443/");
}

}  // namespace
}  // namespace velmora::net
