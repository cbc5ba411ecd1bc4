// The scripted fetch: decoding into code page 936, the request it sends, and the connection it
// keeps from call to call.
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

using ScriptedFetch = FetchTest;

Response page(std::string body, std::string content_type = {}, int status = 200) {
  loopback::Headers headers;
  if (!content_type.empty()) headers.push_back({"Content-Type", std::move(content_type)});
  return {status, {}, std::move(headers), std::move(body), Framing::content_length, 0};
}

// "文件名:测试.txt" in code page 936.
const std::string kNameInGbk = "\xce\xc4\xbc\xfe\xc3\xfb:\xb2\xe2\xca\xd4.txt";

TEST_F(ScriptedFetch, DecodesThePageAndDeliversItInCodePage936) {
  struct Case {
    const char* name;
    Response response;
    std::string expected;
  };
  const Case cases[] = {
      {"UTF-8 declared", page("文件名:测试.txt", "text/html; charset=utf-8"), kNameInGbk},
      {"UTF-8 by default", page("文件名:测试.txt", "text/html"), kNameInGbk},
      {"GBK declared, quoted", page(kNameInGbk, "text/html; Charset=\"GBK\""), kNameInGbk},
      {"gb2312 declared", page(kNameInGbk, "text/html;charset=gb2312"), kNameInGbk},
      {"UTF-16 by its byte-order mark",
       page(std::string("\xff\xfe"
                        "a\0b\0",
                        6)),
       "ab"},
      {"404 page", page("<p>missing</p>", "text/html", 404), "<p>missing</p>"},
      {"empty", page(""), ""},
      // É has a best fit in 936 (é); ä has none and becomes the default character.
      {"characters 936 lacks", page("É-ä", "text/plain; charset=UTF-8"), "\xa8\xa6-?"},
      {"a U+0000 ends the text", page(std::string("ab\0cd", 5)), "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server(loopback::serve(c.response));
    EXPECT_EQ(fetch_page_text(server.url("/share/link?shareid=1&uk=2")), c.expected);
  }
}

TEST_F(ScriptedFetch, SendsAnHttp11GetAndReusesOneConnectionFromCallToCall) {
  LoopbackServer server(loopback::serve(page("ok", "text/html")));
  EXPECT_EQ(fetch_page_text(server.url("/share/link?shareid=1&uk=2#top")), "ok");
  EXPECT_EQ(fetch_page_text(server.url("/share/link?shareid=3&uk=2")), "ok");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].version, "HTTP/1.1");
  EXPECT_EQ(requests[0].target, "/share/link?shareid=1&uk=2");
  EXPECT_EQ(requests[0].header("Accept"), "*/*");
  EXPECT_EQ(server.connections_accepted(), 1u);
  EXPECT_EQ(requests[1].connection_id, requests[0].connection_id);
  EXPECT_EQ(requests[1].index_on_connection, 1u);
}

TEST_F(ScriptedFetch, EscapesBytesThatWouldBreakTheRequestLine) {
  LoopbackServer server(loopback::serve(page("ok")));
  EXPECT_EQ(fetch_page_text(server.url("/share/link?uk=1\r\nX-Injected: yes \xb2\xe2")), "ok");
  ASSERT_EQ(server.request_count(), 1u);
  EXPECT_EQ(server.requests()[0].target, "/share/link?uk=1%0D%0AX-Injected:%20yes%20%B2%E2");
  EXPECT_FALSE(server.requests()[0].header("X-Injected"));
}

TEST_F(ScriptedFetch, GivesEmptyAndSendsNothingWithoutARequestObjectOrAWebAddress) {
  LoopbackServer server(loopback::serve(page("ok")));
  internal::fail_next_request_creations(1);
  EXPECT_EQ(fetch_page_text(server.url("/")), "");
  const std::string authority = "://127.0.0.1:" + std::to_string(server.port()) + "/";
  EXPECT_EQ(fetch_page_text("ftp" + authority), "");
  EXPECT_EQ(fetch_page_text(""), "");
  EXPECT_EQ(fetch_page_text("not an address"), "");
  EXPECT_EQ(server.request_count(), 0u);
  EXPECT_EQ(fetch_page_text("HTTP" + authority), "ok");
}

TEST_F(ScriptedFetch, GivesEmptyForARefusedConnectionOrAnUnresolvableHost) {
  EXPECT_EQ(fetch_page_text("http://127.0.0.1:" + std::to_string(closed_port()) + "/"), "");
  EXPECT_EQ(fetch_page_text("http://nonexistent.invalid/share/link?shareid=1"), "");
}

// A link page cut short would yield a cut-off download link that looks whole, so a page that
// does not arrive complete gives no text at all.
TEST_F(ScriptedFetch, GivesEmptyForAPageThatIsCutShortStallsOrPassesTheCap) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
  LoopbackServer cut([&](const Request&, Connection& c) {
    c.send(head + "dlink\\\":\\\"http:\\/\\/d");
    c.close();
  });
  EXPECT_EQ(fetch_page_text(cut.url("/")), "");
  LoopbackServer stalled([&](const Request&, Connection& c) {
    c.send(head + "dlink");
    c.sleep(60s);
  });
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(fetch_page_text(stalled.url("/")), "");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);

  FetchLimits limits = fetch_limits();
  limits.max_body_bytes = 10;
  set_fetch_limits(limits);
  LoopbackServer large(loopback::serve(page(std::string(11, 'x'))));
  EXPECT_EQ(fetch_page_text(large.url("/")), "");
  LoopbackServer fits(loopback::serve(page(std::string(10, 'x'))));
  EXPECT_EQ(fetch_page_text(fits.url("/")), std::string(10, 'x'));
}

TEST(ContentTypeCharset, ReadsTheParameterQuotedOrNotInAnyCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"text/html; charset=utf-8", "utf-8"},
      {"text/html;CHARSET=\"GBK\"", "GBK"},
      {"text/html; q=1; charset = gb2312 ", "gb2312"},
      {"text/plain; charset=\"a;b\"; x=y", "a;b"},
      {"text/html; format=flowed", ""},
      {"text/html", ""},
      {"", ""},
      {"text/html; charset=", ""},
      {"text/html; xcharset=utf-16; charset=big5", "big5"},
  };
  for (const auto& [content_type, charset] : cases) {
    EXPECT_EQ(internal::charset_of(content_type), charset) << content_type;
  }
}

}  // namespace
}  // namespace velmora::net
