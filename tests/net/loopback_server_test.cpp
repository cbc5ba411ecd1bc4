// The test server itself: what it records, how it keeps connections, and that it stops cleanly.
#include "tools/loopback_server/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace velmora::loopback {
namespace {

using namespace std::chrono_literals;

// A blocking raw client: one connection, whole writes, reads until a given amount or EOF.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval limit{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  }
  ~RawClient() { ::close(fd_); }
  bool connected() const { return connected_; }
  void write(std::string_view bytes) {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
  }
  // Reads until `want` bytes have arrived (0: until the server closes).
  std::string read(std::size_t want = 0) {
    std::string out;
    char chunk[4096];
    while (want == 0 || out.size() < want) {
      ssize_t got = ::recv(fd_, chunk,
                           want == 0 ? sizeof chunk : std::min(sizeof chunk, want - out.size()), 0);
      if (got <= 0) break;
      out.append(chunk, std::size_t(got));
    }
    return out;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

TEST(LoopbackServer, KeepsAnHttp11ConnectionOpenAndRecordsEachRequestWithItsConnection) {
  LoopbackServer server(serve_raw(http_response(200, "hello")));
  RawClient client(server.port());
  ASSERT_TRUE(client.connected());
  const std::string reply = http_response(200, "hello");

  client.write("GET /a?x=1 HTTP/1.1\r\nHost: h\r\nUser-Agent: t\r\n\r\n");
  EXPECT_EQ(client.read(reply.size()), reply);
  client.write("POST /b HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc");
  EXPECT_EQ(client.read(reply.size()), reply);

  ASSERT_TRUE(server.wait_for_requests(2, 2s));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/a?x=1");
  EXPECT_EQ(requests[0].version, "HTTP/1.1");
  EXPECT_EQ(requests[0].header("user-agent"), "t");
  EXPECT_EQ(requests[0].raw, "GET /a?x=1 HTTP/1.1\r\nHost: h\r\nUser-Agent: t\r\n\r\n");
  EXPECT_EQ(requests[1].body, "abc");
  EXPECT_EQ(requests[1].index_on_connection, 1u);
  EXPECT_EQ(requests[0].connection_id, requests[1].connection_id);
  EXPECT_EQ(server.connections_accepted(), 1u);
}

TEST(LoopbackServer, ClosesAfterAnHttp10RequestAndAfterABodyFramedByClose) {
  for (Framing framing : {Framing::content_length, Framing::until_close}) {
    LoopbackServer server(serve(Response{200, {}, {}, "body", framing, 0}));
    RawClient client(server.port());
    // HTTP/1.0 without keep-alive ends the connection; until_close ends it for any version.
    client.write(framing == Framing::until_close ? "GET / HTTP/1.1\r\n\r\n"
                                                 : "GET / HTTP/1.0\r\n\r\n");
    std::string reply = client.read();
    EXPECT_TRUE(reply.ends_with("\r\n\r\nbody")) << reply;
  }
}

TEST(LoopbackServer, BuildsChunkedBodies) {
  EXPECT_EQ(chunked("hello world", 4), "4\r\nhell\r\n4\r\no wo\r\n3\r\nrld\r\n0\r\n\r\n");
  EXPECT_EQ(chunked(""), "0\r\n\r\n");
  EXPECT_EQ(
      to_bytes(Response{404, {}, {{"X-A", "1"}}, "ab", Framing::chunked, 0}),
      "HTTP/1.1 404 Not Found\r\nX-A: 1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n");
}

TEST(LoopbackServer, StopsPromptlyWhileHandlersSleepOrHang) {
  auto started = std::chrono::steady_clock::now();
  {
    LoopbackServer server([](const Request& request, Connection& connection) {
      if (request.target == "/sleep")
        connection.sleep(1h);
      else
        connection.hang();
    });
    RawClient sleeper(server.port());
    RawClient hanger(server.port());
    sleeper.write("GET /sleep HTTP/1.1\r\n\r\n");
    hanger.write("GET /hang HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server.wait_for_requests(2, 2s));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST(LoopbackServer, ListensOnAFixedPortWhenAsked) {
  std::uint16_t port;
  {
    LoopbackServer probe(serve_raw(""));
    port = probe.port();
  }
  LoopbackServer server(serve_raw(http_response(200, "x")), ServerOptions{port, 0ms, 0ms});
  EXPECT_EQ(server.port(), port);
  RawClient client(port);
  EXPECT_TRUE(client.connected());
  EXPECT_THROW(LoopbackServer(serve_raw(""), ServerOptions{port, 0ms, 0ms}), std::system_error);
}

}  // namespace
}  // namespace velmora::loopback
