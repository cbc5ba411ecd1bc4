// What a broken or hostile server can do to a fetch: each row runs against both page fetchers.
// Every fetch must end within its bound, give what the fetcher's rules say (the plain fetch the
// body bytes that arrived before the fault, the scripted fetch a whole page or nothing), keep its
// heap within the body cap, and leave the next fetch working.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/recording_view.h"
#include "harvest/harvest.h"
#include "net/fetch.h"
#include "tests/hostile/counting_allocator.h"
#include "tools/loopback_server/loopback_server.h"

namespace velmora {
namespace {

using loopback::Connection;
using loopback::Handler;
using loopback::LoopbackServer;
using loopback::Request;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kStall = 150ms;
constexpr auto kTotal = 300ms;
constexpr std::size_t kBodyCap = 256u << 10;
// Scheduling, a busy machine and the sanitizers may add to a bound; a fetch that waits for the
// server instead of its own bounds would not end at all.
constexpr auto kSlack = 1200ms;

// What a fetch must give back: exactly these bytes, or the start of this pattern repeated,
// between two lengths.
struct Expected {
  enum class Kind { exactly, repeated_pattern } kind = Kind::exactly;
  std::string bytes;
  std::size_t min_size = 0, max_size = 0;

  static Expected nothing() { return {}; }
  static Expected body(std::string bytes) { return {Kind::exactly, std::move(bytes)}; }
  static Expected pattern(std::string unit, std::size_t min_size, std::size_t max_size) {
    return {Kind::repeated_pattern, std::move(unit), min_size, max_size};
  }

  ::testing::AssertionResult matches(const std::string& got) const {
    if (kind == Kind::exactly) {
      if (got == bytes) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure()
             << "got " << got.size() << " bytes " << ::testing::PrintToString(got.substr(0, 80))
             << ", expected " << ::testing::PrintToString(bytes.substr(0, 80));
    }
    if (got.size() < min_size || got.size() > max_size) {
      return ::testing::AssertionFailure()
             << "got " << got.size() << " bytes, expected " << min_size << ".." << max_size;
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
      if (got[i] != bytes[i % bytes.size()]) {
        return ::testing::AssertionFailure() << "byte " << i << " is not the stream's";
      }
    }
    return ::testing::AssertionSuccess();
  }
};

struct HostileRow {
  const char* name;
  Handler handler;
  Expected plain;     // fetch_page_bytes
  Expected scripted;  // fetch_page_text
};

void PrintTo(const HostileRow& row, std::ostream* os) {
  *os << row.name;
}

// Raw bytes, then the connection is closed.
Handler send_then_close(std::string raw) {
  return [raw](const Request&, Connection& connection) {
    connection.send(raw);
    connection.close();
  };
}

// Raw bytes, then silence until the client gives up.
Handler send_then_hang(std::string raw) {
  return [raw](const Request&, Connection& connection) {
    connection.send(raw);
    connection.hang();
  };
}

// Raw headers, then the unit repeated until the client goes away, `pace` between sends.
Handler stream_forever(std::string head, std::string unit, std::chrono::milliseconds pace) {
  return [head, unit, pace](const Request&, Connection& connection) {
    if (!connection.send(head)) return;
    std::string block;
    while (block.size() < (pace.count() ? 1 : 16384)) block += unit;
    while (connection.send(block)) {
      if (pace.count() && !connection.sleep(pace)) break;
    }
    connection.close();
  };
}

std::string many_headers(int count) {
  std::string headers;
  for (int i = 0; i < count; ++i) headers += "X-Filler-" + std::to_string(i) + ": v\r\n";
  return headers;
}

const std::string kOkHead = "HTTP/1.1 200 OK\r\n";
const std::string kChunkedHead = kOkHead + "Transfer-Encoding: chunked\r\n\r\n";

std::vector<HostileRow> hostile_rows() {
  using E = Expected;
  return {
      {"AcceptsAndNeverAnswers", [](const Request&, Connection& c) { c.hang(); }, E::nothing(),
       E::nothing()},
      {"EmptyReply", [](const Request&, Connection& c) { c.close(); }, E::nothing(), E::nothing()},
      {"ResetInsteadOfAReply", [](const Request&, Connection& c) { c.reset(); }, E::nothing(),
       E::nothing()},
      {"HeadersThenSilence", send_then_hang(kOkHead + "Content-Length: 10\r\n\r\n"), E::nothing(),
       E::nothing()},
      {"PartOfTheBodyThenSilence", send_then_hang(kOkHead + "Content-Length: 10\r\n\r\nabc"),
       E::body("abc"), E::nothing()},
      {"TricklesTheBodyAByteAtATime",
       [](const Request&, Connection& c) {
         c.send(kOkHead + "Content-Length: 6\r\n\r\n");
         c.send_slowly("hello!", 15ms);
       },
       E::body("hello!"), E::body("hello!")},
      {"TricklesAnEndlessBody", stream_forever(kOkHead + "\r\n", "ab", 20ms),
       E::pattern("ab", 1, kBodyCap), E::nothing()},
      {"ContentLengthLargerThanTheBodyThenCloses",
       send_then_close(kOkHead + "Content-Length: 100\r\n\r\nabc"), E::body("abc"), E::nothing()},
      // Bytes past the announced length, on a connection kept open: they must not become the
      // start of the next response on a reused connection.
      {"BytesBeyondTheContentLength",
       [](const Request&, Connection& c) {
         c.send(kOkHead +
                "Content-Length: 5\r\n\r\nhelloHTTP/1.1 200 OK\r\nContent-Length: 4\r\n"
                "\r\nevil");
       },
       E::body("hello"), E::body("hello")},
      {"ChunkedBodyCutMidChunk", send_then_close(kChunkedHead + "5\r\nhello\r\n8\r\nwor"),
       E::body("hellowor"), E::nothing()},
      {"ChunkSizeNotHex", send_then_close(kChunkedHead + "5\r\nhello\r\nzz\r\nabc\r\n0\r\n\r\n"),
       E::body("hello"), E::nothing()},
      {"ChunkSizeOverflows",
       send_then_close(kChunkedHead + "5\r\nhello\r\nFFFFFFFFFFFFFFFFFFFFFF\r\nabc\r\n0\r\n\r\n"),
       E::body("hello"), E::nothing()},
      {"ContentLengthGarbage", send_then_close(kOkHead + "Content-Length: abc\r\n\r\nhello"),
       E::nothing(), E::nothing()},
      {"ContentLengthNegative", send_then_close(kOkHead + "Content-Length: -5\r\n\r\nhello"),
       E::nothing(), E::nothing()},
      {"ContentLengthTwiceWithDifferentValues",
       send_then_close(kOkHead + "Content-Length: 5\r\nContent-Length: 7\r\n\r\nhelloXY"),
       E::nothing(), E::nothing()},
      {"ContentLengthAsAListOfDifferentValues",
       send_then_close(kOkHead + "Content-Length: 5, 7\r\n\r\nhelloXY"), E::nothing(),
       E::nothing()},
      // The same length twice is sound framing and must still work.
      {"ContentLengthTwiceWithTheSameValue",
       send_then_close(kOkHead + "Content-Length: 5\r\nContent-Length: 5\r\n\r\nhello"),
       E::body("hello"), E::body("hello")},
      {"NulInsideAHeader",
       send_then_close(kOkHead + std::string("X-Note: a\0b\r\n", 13) +
                       "Content-Length: 5\r\n\r\nhello"),
       E::nothing(), E::nothing()},
      {"OneHugeHeader",
       send_then_close(kOkHead + "X-Huge: " + std::string(1u << 20, 'h') +
                       "\r\nContent-Length: 5\r\n\r\nhello"),
       E::nothing(), E::nothing()},
      {"ThousandsOfSmallHeaders",
       send_then_close(kOkHead + many_headers(4000) + "Content-Length: 5\r\n\r\nhello"),
       E::body("hello"), E::body("hello")},
      {"HeadersThatNeverEnd", stream_forever(kOkHead, "X-More: header\r\n", 0ms), E::nothing(),
       E::nothing()},
      {"EndlessBodyWithNoLength", stream_forever(kOkHead + "\r\n", "0123456789", 0ms),
       E::pattern("0123456789", kBodyCap, kBodyCap), E::nothing()},
      {"RedirectLoop",
       send_then_close("HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n"),
       E::nothing(), E::nothing()},
      {"RedirectToAFileAddress",
       send_then_close("HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\n"
                       "Content-Length: 0\r\n\r\n"),
       E::nothing(), E::nothing()},
      {"GarbageStatusLine", send_then_close("SPAM EGGS HAM\r\n\r\nhello"), E::nothing(),
       E::nothing()},
      {"NoStatusLineAtAll", send_then_close("hello"), E::nothing(), E::nothing()},
  };
}

class HostileServer : public ::testing::TestWithParam<HostileRow> {
 protected:
  void SetUp() override {
    saved_ = net::fetch_limits();
    net::FetchLimits shrunk = saved_;
    shrunk.connect_timeout = 300ms;
    shrunk.stall_timeout = kStall;
    shrunk.total_timeout = kTotal;
    shrunk.max_body_bytes = kBodyCap;
    shrunk.max_redirects = 5;
    net::set_fetch_limits(shrunk);
  }
  void TearDown() override { net::set_fetch_limits(saved_); }

  // Runs the fetch, checks its time and heap bounds, and gives back what it returned.
  template <class Fetch>
  std::string bounded(Fetch fetch, const char* which) {
    testing::reset_heap_peak();
    const auto started = Clock::now();
    const auto result = fetch();
    const auto took = Clock::now() - started;
    const std::size_t heap = testing::heap_peak_growth();
    EXPECT_LT(took, kTotal + kSlack)
        << which << " took " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
        << " ms";
    // The body buffer may hold twice its size while it grows; anything more is unbounded growth.
    EXPECT_LE(heap, 2 * kBodyCap + (256u << 10)) << which << " grew the heap by " << heap;
    return std::string(result.begin(), result.end());
  }

 private:
  net::FetchLimits saved_;
};

TEST_P(HostileServer, FetchEndsInTimeWithTheRuleResultAndTheNextFetchWorks) {
  const HostileRow& row = GetParam();
  LoopbackServer server(row.handler);
  const std::string address = server.url("/share/home?uk=1");

  const std::string plain = bounded([&] { return net::fetch_page_bytes(address); }, "plain");
  EXPECT_TRUE(row.plain.matches(plain)) << "plain fetch";
  const std::string scripted = bounded([&] { return net::fetch_page_text(address); }, "scripted");
  EXPECT_TRUE(row.scripted.matches(scripted)) << "scripted fetch";

  // The same server, sound again: neither fetcher kept anything bad (a cached connection, a
  // half-read response) from the row.
  server.set_handler(loopback::serve_raw(loopback::http_response(200, "fine")));
  const std::string after = server.url("/after");
  EXPECT_EQ(bounded([&] { return net::fetch_page_bytes(after); }, "plain after"), "fine");
  EXPECT_EQ(bounded([&] { return net::fetch_page_text(after); }, "scripted after"), "fine");
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileServer, ::testing::ValuesIn(hostile_rows()),
                         [](const auto& info) { return std::string(info.param.name); });

// A link page that never comes, in the middle of a harvest: the pass stops with a report naming
// the share, the rows before it stay, and the next harvest runs through.
TEST_F(HostileServer, HarvestStopsAtAHostileLinkPageAndTheNextHarvestWorks) {
  const std::string home = "x{\"shareId\\\":101,}{\"shareId\\\":202,}{\"shareId\\\":303,}";
  auto link_page = [](std::string name) {
    return "\xCE\xC4\xBC\xFE\xC3\xFB:" + name +
           "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:1 \"dlink\\\":\\\"http:\\\\/\\\\/h\\\\/d\\\\/" + name +
           "\\\",";
  };
  std::atomic<bool> hostile = true;
  LoopbackServer server([&](const Request& request, Connection& connection) {
    if (request.target.starts_with("/share/home")) {
      connection.send(loopback::http_response(200, home));
    } else if (request.target.find("shareid=202") != std::string::npos && hostile) {
      connection.send(kOkHead + "Content-Length: 50\r\n\r\n<html>");
      connection.hang();
    } else {
      const auto at = request.target.find("shareid=") + 8;
      connection.send(loopback::http_response(200, link_page(request.target.substr(at, 3)),
                                              {{"Content-Type", "text/html; charset=GBK"}}));
    }
  });

  harvest::HarvestState state;
  fuzz::RecordingView view;
  view.address = "http://anywhere/share/home?uk=55";
  harvest::Harvest harvest(state, view, harvest::PageFetchers::network(),
                           "127.0.0.1:" + std::to_string(server.port()));

  const auto started = Clock::now();
  try {
    harvest.extract_addresses();
    FAIL() << "the harvest ran through a link page that never came";
  } catch (const harvest::HarvestStop& stop) {
    EXPECT_EQ(stop.phase(), harvest::HarvestStop::Phase::analysis);
    EXPECT_EQ(stop.missing(), harvest::HarvestStop::Missing::file_name);
    EXPECT_EQ(stop.share_number(), 2);
    EXPECT_EQ(stop.share_id(), "202");
    EXPECT_FALSE(stop.user_message().empty());
  }
  EXPECT_LT(Clock::now() - started, 3 * (kTotal + kSlack));
  EXPECT_EQ(view.file_names, (std::vector<std::string>{"101"}));
  EXPECT_EQ(view.links, (std::vector<std::string>{"http://h/d/101"}));

  hostile = false;
  harvest.extract_addresses();
  // This run's shares come last, row for row.
  ASSERT_GE(view.file_names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(view.file_names.end() - 3, view.file_names.end()),
            (std::vector<std::string>{"101", "202", "303"}));
  EXPECT_EQ(view.links.size(), view.file_names.size());
  EXPECT_EQ(view.links.back(), "http://h/d/303");
  EXPECT_EQ(view.status_lines[2], std::string("\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xB7\xD6\xCE\xF6"
                                              "\xCD\xEA\xB3\xC9\xA1\xA3\xC7\xEB\xCA\xB9\xD3\xC3"
                                              "\xCF\xC2\xD4\xD8\xB9\xA4\xBE\xDF\xC5\xFA\xC1\xBF"
                                              "\xCF\xC2\xD4\xD8\xA3\xA1"));
}

}  // namespace
}  // namespace velmora
