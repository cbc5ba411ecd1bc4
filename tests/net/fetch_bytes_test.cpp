// The plain fetch against scripted servers: bodies byte for byte, the request on the wire, the
// address rules, the root that serves the whole run, and the bounds on a bad server.
#include <chrono>
#include <string>

#include "net/fetch.h"
#include "net/fetch_internal.h"
#include "tests/net/fetch_fixture.h"

namespace velmora::net {
namespace {

using namespace std::chrono_literals;
using loopback::Connection;
using loopback::Framing;
using loopback::LoopbackServer;
using loopback::Request;
using loopback::Response;

std::string pattern(std::size_t n) {
  std::string out(n, '\0');
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>('a' + i % 23);
  return out;
}

using PlainFetch = FetchTest;

TEST_F(PlainFetch, ReturnsTheWholeBodyByteForByteWhateverItsFramingOrStatus) {
  struct Case {
    const char* name;
    Response response;
  };
  const Case cases[] = {
      {"with Content-Length", {200, {}, {}, "hello", Framing::content_length, 0}},
      {"long, unannounced", {200, {}, {}, pattern(300'000), Framing::until_close, 0}},
      {"long, announced", {200, {}, {}, pattern(250'000), Framing::content_length, 0}},
      {"chunked", {200, {}, {}, pattern(30'000), Framing::chunked, 4096}},
      {"404 with a body", {404, {}, {}, "<html>not here</html>", Framing::content_length, 0}},
      {"500 with a body", {500, {}, {}, "oops", Framing::until_close, 0}},
      {"holding a zero byte", {200, {}, {}, std::string("ab\0cd", 5), Framing::content_length, 0}},
      {"empty", {200, {}, {}, "", Framing::content_length, 0}},
      {"empty, unannounced", {200, {}, {}, "", Framing::until_close, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server(loopback::serve(c.response));
    EXPECT_EQ(as_string(fetch_page_bytes(server.url("/page"))), c.response.body);
  }
}

TEST_F(PlainFetch, SendsAnHttp10GetOfPathAndQueryWithoutTheFragment) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  fetch_page_bytes(server.url("/share/home?uk=42&x=1#frag?y=2"));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const Request& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.target, "/share/home?uk=42&x=1");
  EXPECT_EQ(r.version, "HTTP/1.0");
  EXPECT_EQ(r.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
  EXPECT_EQ(r.header("Host"), "127.0.0.1:" + std::to_string(server.port()));
  int accepts = 0;
  for (const auto& h : r.headers) accepts += h.name == "Accept";
  EXPECT_EQ(accepts, 1);
  EXPECT_EQ(r.header("Accept"), "*/*");
  EXPECT_FALSE(r.header("Authorization"));
}

TEST_F(PlainFetch, SendsTheCredentialsWrittenInTheAddress) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  std::string address = server.url("/");
  address.insert(std::string("http://").size(), "user:secret@");
  EXPECT_EQ(as_string(fetch_page_bytes(address)), "x");
  ASSERT_EQ(server.request_count(), 1u);
  EXPECT_EQ(server.requests()[0].header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
}

TEST_F(PlainFetch, OnlyHttpAndHttpsInAnyCaseLeadToARequest) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  const std::string authority = "://127.0.0.1:" + std::to_string(server.port()) + "/";
  for (const char* scheme : {"ftp", "file", "gopher", "ws", "httpx"}) {
    EXPECT_TRUE(fetch_page_bytes(scheme + authority).empty()) << scheme;
  }
  EXPECT_EQ(server.request_count(), 0u);
  EXPECT_EQ(as_string(fetch_page_bytes("HtTp" + authority)), "x");
  EXPECT_EQ(server.request_count(), 1u);
}

TEST_F(PlainFetch, SendsNothingForAnEmptyAddressOrAPartBeyondItsRoom) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  const std::string base = server.url("/");
  std::string user_too_long = base;
  user_too_long.insert(7, std::string(128, 'u') + "@");
  std::string user_fits = base;
  user_fits.insert(7, std::string(127, 'u') + "@");

  EXPECT_TRUE(fetch_page_bytes("").empty());
  EXPECT_TRUE(fetch_page_bytes(base + std::string(2047, 'p')).empty());
  EXPECT_TRUE(fetch_page_bytes(user_too_long).empty());
  EXPECT_EQ(server.request_count(), 0u);

  EXPECT_EQ(as_string(fetch_page_bytes(base + std::string(2046, 'p'))), "x");
  EXPECT_EQ(as_string(fetch_page_bytes(user_fits)), "x");
  EXPECT_EQ(server.request_count(), 2u);
}

TEST_F(PlainFetch, GivesEmptyForAnUnresolvableHostOrARefusedConnection) {
  EXPECT_TRUE(fetch_page_bytes("http://nonexistent.invalid/share/home?uk=1").empty());
  EXPECT_TRUE(fetch_page_bytes("http://127.0.0.1:" + std::to_string(closed_port()) + "/").empty());
}

TEST_F(PlainFetch, OpensTheRootOnceForTheWholeRunAndAgainOnlyAfterItsRelease) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  release_internet_root();
  const int opened = internal::root_open_count();

  EXPECT_TRUE(fetch_page_bytes("http://nonexistent.invalid/").empty());
  EXPECT_EQ(as_string(fetch_page_bytes(server.url("/1"))), "x");
  EXPECT_TRUE(fetch_page_bytes("http://127.0.0.1:" + std::to_string(closed_port()) + "/").empty());
  EXPECT_EQ(as_string(fetch_page_bytes(server.url("/2"))), "x");
  EXPECT_EQ(internal::root_open_count(), opened + 1);
  EXPECT_TRUE(internal::root_is_open());
  EXPECT_EQ(server.connections_accepted(), 2u);  // a fresh request, and connection, per call

  release_internet_root();
  EXPECT_FALSE(internal::root_is_open());
  EXPECT_EQ(as_string(fetch_page_bytes(server.url("/3"))), "x");
  EXPECT_EQ(internal::root_open_count(), opened + 2);
}

TEST_F(PlainFetch, ARootThatFailsToOpenStaysUnopenedAndTheNextCallTriesAgain) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  release_internet_root();
  const int opened = internal::root_open_count();
  internal::fail_next_root_opens(1);
  EXPECT_TRUE(fetch_page_bytes(server.url("/")).empty());
  EXPECT_FALSE(internal::root_is_open());
  EXPECT_EQ(server.request_count(), 0u);
  EXPECT_EQ(as_string(fetch_page_bytes(server.url("/"))), "x");
  EXPECT_EQ(internal::root_open_count(), opened + 1);
}

TEST_F(PlainFetch, ARequestThatCannotBeCreatedSendsNothing) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  internal::fail_next_request_creations(1);
  EXPECT_TRUE(fetch_page_bytes(server.url("/")).empty());
  EXPECT_EQ(server.request_count(), 0u);
}

TEST_F(PlainFetch, EscapesBytesThatWouldBreakTheRequestLineOrAddAHeader) {
  LoopbackServer server(loopback::serve_raw(loopback::http_response(200, "x")));
  std::string address = server.url("/share/home?uk=1 HTTP/1.1\r\nX-Injected: yes\r\n\r\n");
  address += "&k=\x7f\x80\xff\x01\t.";
  EXPECT_EQ(as_string(fetch_page_bytes(address)), "x");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target,
            "/share/home?uk=1%20HTTP/1.1%0D%0AX-Injected:%20yes%0D%0A%0D%0A&k=%7F%80%FF%01%09.");
  EXPECT_EQ(requests[0].version, "HTTP/1.0");
  EXPECT_FALSE(requests[0].header("X-Injected"));
}

TEST_F(PlainFetch, KeepsTheBytesReadBeforeAConnectionIsCutOrStalls) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
  struct Case {
    const char* name;
    loopback::Handler script;
  };
  const Case cases[] = {
      {"cut",
       [&](const Request&, Connection& c) {
         c.send(head + "0123456789");
         c.sleep(100ms);
         c.reset();
       }},
      {"closed early",
       [&](const Request&, Connection& c) {
         c.send(head + "0123456789");
         c.close();
       }},
      {"stalled",
       [&](const Request&, Connection& c) {
         c.send(head + "0123456789");
         c.sleep(60s);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server(c.script);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(as_string(fetch_page_bytes(server.url("/"))), "0123456789");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  }
}

TEST_F(PlainFetch, GivesEmptyWhenTheServerNeverAnswersOrNeverAccepts) {
  LoopbackServer silent([](const Request&, Connection& c) { c.hang(); });
  EXPECT_TRUE(fetch_page_bytes(silent.url("/")).empty());
  LoopbackServer slow_accept(loopback::serve_raw(loopback::http_response(200, "x")), {0, 60s, 0ms});
  auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(fetch_page_bytes(slow_accept.url("/")).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_F(PlainFetch, EndsTheReadAtTheBodyCap) {
  FetchLimits limits = fetch_limits();
  limits.max_body_bytes = 1000;
  set_fetch_limits(limits);
  for (Framing framing : {Framing::until_close, Framing::content_length, Framing::chunked}) {
    LoopbackServer server(loopback::serve({200, {}, {}, pattern(50'000), framing, 0}));
    EXPECT_EQ(as_string(fetch_page_bytes(server.url("/"))), pattern(1000));
  }
  LoopbackServer exact(loopback::serve({200, {}, {}, pattern(1000), Framing::until_close, 0}));
  EXPECT_EQ(as_string(fetch_page_bytes(exact.url("/"))), pattern(1000));
}

TEST_F(PlainFetch, FollowsAFewRedirectsOnlyToWebAddresses) {
  LoopbackServer server([](const Request& r, Connection& c) {
    if (r.target == "/final") {
      c.send(loopback::http_response(200, "arrived"));
    } else if (r.target == "/to-ftp") {
      c.send(loopback::http_response(302, "", {{"Location", "ftp://127.0.0.1/x"}}));
    } else if (r.target == "/loop") {
      c.send(loopback::http_response(302, "", {{"Location", "/loop"}}));
    } else {
      c.send(loopback::http_response(302, "moved", {{"Location", "/final"}}));
    }
  });
  EXPECT_EQ(as_string(fetch_page_bytes(server.url("/start"))), "arrived");
  EXPECT_TRUE(fetch_page_bytes(server.url("/to-ftp")).empty());
  const std::size_t before = server.request_count();
  EXPECT_TRUE(fetch_page_bytes(server.url("/loop")).empty());
  EXPECT_EQ(server.request_count() - before, std::size_t(fetch_limits().max_redirects) + 1);
}

}  // namespace
}  // namespace velmora::net
