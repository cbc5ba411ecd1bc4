// A small HTTP server on 127.0.0.1 for tests and benchmarks. Each request is handed to a script
// (the handler) that writes whatever raw bytes it likes, at whatever pace, on the connection the
// request came in on; the server records every request so a test can check what went on the wire.
//
// Threads: one accepting thread and one thread per connection. The handler runs on the
// connection's thread, so it may be called for several connections at once. The destructor stops
// the server: it wakes every sleeping or blocked handler, closes every socket and joins every
// thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velmora::loopback {

struct Header {
  std::string name;
  std::string value;
};

using Headers = std::vector<Header>;

// One request as it arrived.
struct Request {
  std::string method;
  std::string target;                   // as sent, e.g. "/share/home?uk=1"
  std::string version;                  // "HTTP/1.0", "HTTP/1.1"
  Headers headers;                      // in order, names as sent
  std::string body;                     // by Content-Length; empty without one
  std::string raw;                      // the request line, headers and body, byte for byte
  std::size_t connection_id = 0;        // 1 for the first connection accepted, 2 for the next...
  std::size_t index_on_connection = 0;  // 0 for the first request on its connection

  // The first header of that name (case-insensitive), if any.
  std::optional<std::string> header(std::string_view name) const;
};

// How a built response marks the end of its body.
enum class Framing {
  content_length,  // Content-Length header
  until_close,     // no length; the body ends when the connection closes
  chunked,         // Transfer-Encoding: chunked
};

struct Response {
  int status = 200;
  std::string reason;  // empty: the usual phrase for the status
  Headers headers;
  std::string body;
  Framing framing = Framing::content_length;
  std::size_t chunk_size = 0;  // chunked only: 0 sends the body as one chunk
};

// The response's bytes: status line, the headers, the framing header, a blank line, the body.
std::string to_bytes(const Response& response);
// Shorthands for an ordinary response with a Content-Length.
std::string http_response(int status, std::string_view body, const Headers& headers = {});
// The body in chunked transfer coding, in chunks of at most chunk_size bytes (0: one chunk),
// with the terminating zero chunk.
std::string chunked(std::string_view body, std::size_t chunk_size = 0);

// The handler's side of one client connection.
class Connection {
 public:
  std::size_t id() const noexcept { return id_; }

  // Sends the bytes at once. False when the peer is gone or the server is stopping.
  bool send(std::string_view bytes);
  // Sends one byte at a time, pausing between bytes.
  bool send_slowly(std::string_view bytes, std::chrono::milliseconds gap);
  // Sends the response; one framed until_close also closes the connection afterwards.
  bool send(const Response& response);
  // Sleeps, waking early when the server stops. False when it woke because of the stop.
  bool sleep(std::chrono::milliseconds duration);
  // Ends the connection once the handler returns (no further requests are read on it).
  void close() noexcept { close_requested_ = true; }
  // Closes the connection at once, discarding anything unsent: the client sees a reset.
  void reset();
  // Never answers: blocks until the client gives up (closes) or the server stops, then closes.
  void hang();
  bool stopping() const noexcept;

 private:
  friend class LoopbackServer;
  struct Shared;
  Connection(int fd, std::size_t id, Shared& shared) : fd_(fd), id_(id), shared_(shared) {}

  int fd_;
  std::size_t id_;
  Shared& shared_;
  bool close_requested_ = false;
  bool dead_ = false;
};

using Handler = std::function<void(const Request&, Connection&)>;

// A handler that answers every request with the same raw bytes (keeping the connection open).
Handler serve_raw(std::string raw_response);
// A handler that answers every request with the same response.
Handler serve(Response response);

struct ServerOptions {
  std::uint16_t port = 0;  // 0: an ephemeral port chosen by the system
  // Emulated round trip: a pause after accepting each connection before its first request is
  // read, and a pause before each request is handed to the handler.
  std::chrono::milliseconds accept_delay{0};
  std::chrono::milliseconds response_delay{0};
};

class LoopbackServer {
 public:
  // Starts listening at once. Throws std::system_error when the port cannot be bound.
  explicit LoopbackServer(Handler handler, ServerOptions options = {});
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const noexcept { return port_; }
  // "http://127.0.0.1:<port>" followed by the target (which should start with "/").
  std::string url(std::string_view target = "/") const;

  // Replaces the handler for requests that arrive from now on.
  void set_handler(Handler handler);

  // Every request received so far, in order of arrival.
  std::vector<Request> requests() const;
  std::size_t request_count() const;
  std::size_t connections_accepted() const;
  // Waits until at least n requests have arrived; false on time-out.
  bool wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const;

  // Stops accepting, wakes and closes every connection, joins every thread. Idempotent.
  void stop();

 private:
  struct ConnectionThread;
  void accept_loop();
  void serve_connection(int fd, std::size_t id);
  void reap_finished();

  ServerOptions options_;
  int listen_fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  std::uint16_t port_ = 0;

  std::unique_ptr<Connection::Shared> shared_;
  std::thread accept_thread_;
  std::mutex threads_mutex_;
  std::vector<std::unique_ptr<ConnectionThread>> connection_threads_;
};

}  // namespace velmora::loopback
