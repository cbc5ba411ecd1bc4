#include "tools/loopback_server/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <system_error>

namespace velmora::loopback {

struct Connection::Shared {
  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // a stop, or a new request recorded
  bool stopping = false;
  std::shared_ptr<const Handler> handler;
  std::vector<Request> requests;
  std::size_t connections = 0;
  std::set<int> open_fds;  // shut down on stop so blocked reads and writes return
};

struct LoopbackServer::ConnectionThread {
  std::thread thread;
  std::atomic<bool> finished{false};
};

namespace {

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view reason_phrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 304:
      return "Not Modified";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

[[noreturn]] void throw_errno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Parses the head (request line and headers, without the blank line). False when malformed.
bool parse_head(std::string_view head, Request& request) {
  auto line_end = head.find("\r\n");
  std::string_view line = head.substr(0, line_end);
  auto sp1 = line.find(' ');
  auto sp2 = line.rfind(' ');
  if (sp1 == std::string_view::npos || sp2 == sp1) return false;
  request.method = std::string(line.substr(0, sp1));
  request.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
  request.version = std::string(line.substr(sp2 + 1));
  std::string_view rest = line_end == std::string_view::npos ? "" : head.substr(line_end + 2);
  while (!rest.empty()) {
    auto end = rest.find("\r\n");
    std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? "" : rest.substr(end + 2);
    auto colon = field.find(':');
    if (colon == std::string_view::npos) return false;
    request.headers.push_back(
        {std::string(field.substr(0, colon)), std::string(trim(field.substr(colon + 1)))});
  }
  return true;
}

// Whether the client expects the connection to stay open after this request.
bool wants_keep_alive(const Request& request) {
  auto connection = request.header("Connection");
  if (request.version == "HTTP/1.1") return !(connection && iequals(*connection, "close"));
  return connection && iequals(*connection, "keep-alive");
}

}  // namespace

std::optional<std::string> Request::header(std::string_view name) const {
  for (const auto& h : headers) {
    if (iequals(h.name, name)) return h.value;
  }
  return std::nullopt;
}

std::string chunked(std::string_view body, std::size_t chunk_size) {
  std::string out;
  if (chunk_size == 0) chunk_size = std::max<std::size_t>(body.size(), 1);
  char size_text[32];
  for (std::size_t at = 0; at < body.size(); at += chunk_size) {
    auto piece = body.substr(at, chunk_size);
    std::snprintf(size_text, sizeof size_text, "%zx\r\n", piece.size());
    out += size_text;
    out += piece;
    out += "\r\n";
  }
  out += "0\r\n\r\n";
  return out;
}

std::string to_bytes(const Response& response) {
  std::string out = "HTTP/1.1 " + std::to_string(response.status) + " ";
  out += response.reason.empty() ? std::string(reason_phrase(response.status)) : response.reason;
  out += "\r\n";
  for (const auto& h : response.headers) out += h.name + ": " + h.value + "\r\n";
  switch (response.framing) {
    case Framing::content_length:
      out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n\r\n";
      out += response.body;
      break;
    case Framing::until_close:
      out += "Connection: close\r\n\r\n";
      out += response.body;
      break;
    case Framing::chunked:
      out += "Transfer-Encoding: chunked\r\n\r\n";
      out += chunked(response.body, response.chunk_size);
      break;
  }
  return out;
}

std::string http_response(int status, std::string_view body, const Headers& headers) {
  return to_bytes(Response{status, {}, headers, std::string(body), Framing::content_length, 0});
}

Handler serve_raw(std::string raw_response) {
  return [raw = std::move(raw_response)](const Request&, Connection& connection) {
    connection.send(raw);
  };
}

Handler serve(Response response) {
  return [response = std::move(response)](const Request&, Connection& connection) {
    connection.send(response);
  };
}

// ---- Connection ----

bool Connection::stopping() const noexcept {
  std::lock_guard lock(shared_.mutex);
  return shared_.stopping;
}

bool Connection::send(std::string_view bytes) {
  if (dead_) return false;
  while (!bytes.empty()) {
    ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) {
      dead_ = true;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool Connection::send_slowly(std::string_view bytes, std::chrono::milliseconds gap) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && !sleep(gap)) return false;
    if (!send(bytes.substr(i, 1))) return false;
  }
  return true;
}

bool Connection::send(const Response& response) {
  bool ok = send(to_bytes(response));
  if (response.framing == Framing::until_close) close();
  return ok;
}

bool Connection::sleep(std::chrono::milliseconds duration) {
  std::unique_lock lock(shared_.mutex);
  return !shared_.changed.wait_for(lock, duration, [this] { return shared_.stopping; });
}

void Connection::reset() {
  if (dead_) return;
  linger hard{1, 0};  // close with RST rather than FIN
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::shutdown(fd_, SHUT_RDWR);
  dead_ = true;
  close_requested_ = true;
}

void Connection::hang() {
  char sink[4096];
  while (!dead_) {
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, 50);
    if (stopping()) break;
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      ssize_t got = ::recv(fd_, sink, sizeof sink, 0);
      if (got <= 0 && !(got < 0 && errno == EINTR)) break;  // the client gave up
    }
  }
  close_requested_ = true;
}

// ---- LoopbackServer ----

LoopbackServer::LoopbackServer(Handler handler, ServerOptions options)
    : options_(options), shared_(std::make_unique<Connection::Shared>()) {
  shared_->handler = std::make_shared<const Handler>(std::move(handler));
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) throw_errno("socket");
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(options.port);
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 ||
      ::listen(listen_fd_, 128) < 0 || ::pipe2(wake_pipe_, O_CLOEXEC) < 0) {
    int saved = errno;
    ::close(listen_fd_);
    if (wake_pipe_[0] >= 0) ::close(wake_pipe_[0]);
    if (wake_pipe_[1] >= 0) ::close(wake_pipe_[1]);
    errno = saved;
    throw_errno("loopback server listen");
  }
  socklen_t length = sizeof address;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  accept_thread_ = std::thread([this] { accept_loop(); });
}

LoopbackServer::~LoopbackServer() {
  stop();
}

std::string LoopbackServer::url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

void LoopbackServer::set_handler(Handler handler) {
  auto next = std::make_shared<const Handler>(std::move(handler));
  std::lock_guard lock(shared_->mutex);
  shared_->handler = std::move(next);
}

std::vector<Request> LoopbackServer::requests() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->requests;
}

std::size_t LoopbackServer::request_count() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->requests.size();
}

std::size_t LoopbackServer::connections_accepted() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->connections;
}

bool LoopbackServer::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(shared_->mutex);
  return shared_->changed.wait_for(lock, timeout, [&] { return shared_->requests.size() >= n; });
}

void LoopbackServer::stop() {
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->stopping) return;
    shared_->stopping = true;
    for (int fd : shared_->open_fds) ::shutdown(fd, SHUT_RDWR);
  }
  shared_->changed.notify_all();
  char wake = 1;
  [[maybe_unused]] auto written = ::write(wake_pipe_[1], &wake, 1);
  if (accept_thread_.joinable()) accept_thread_.join();
  {
    std::lock_guard lock(threads_mutex_);
    for (auto& t : connection_threads_) t->thread.join();
    connection_threads_.clear();
  }
  ::close(listen_fd_);
  ::close(wake_pipe_[0]);
  ::close(wake_pipe_[1]);
}

void LoopbackServer::reap_finished() {
  std::lock_guard lock(threads_mutex_);
  std::erase_if(connection_threads_, [](const std::unique_ptr<ConnectionThread>& t) {
    if (!t->finished) return false;
    t->thread.join();
    return true;
  });
}

void LoopbackServer::accept_loop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (fds[1].revents & POLLIN)) return;
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::size_t id;
    {
      std::lock_guard lock(shared_->mutex);
      if (shared_->stopping) {
        ::close(fd);
        return;
      }
      id = ++shared_->connections;
      shared_->open_fds.insert(fd);
    }
    reap_finished();
    auto record = std::make_unique<ConnectionThread>();
    auto* raw_record = record.get();
    std::lock_guard lock(threads_mutex_);
    record->thread = std::thread([this, fd, id, raw_record] {
      serve_connection(fd, id);
      raw_record->finished = true;
    });
    connection_threads_.push_back(std::move(record));
  }
}

void LoopbackServer::serve_connection(int fd, std::size_t id) {
  Connection connection(fd, id, *shared_);
  std::string buffer;
  std::size_t index = 0;
  char chunk[8192];

  // Reads more bytes into the buffer; false when the peer closed or the server is stopping.
  auto read_more = [&] {
    for (;;) {
      ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      buffer.append(chunk, static_cast<std::size_t>(got));
      return true;
    }
  };

  bool open = options_.accept_delay.count() == 0 || connection.sleep(options_.accept_delay);
  while (open && !connection.close_requested_) {
    std::size_t head_end;
    while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (!read_more()) {
        open = false;
        break;
      }
    }
    if (!open) break;

    Request request;
    request.connection_id = id;
    request.index_on_connection = index++;
    if (!parse_head(std::string_view(buffer).substr(0, head_end), request)) break;
    std::size_t body_length = 0;
    if (auto length = request.header("Content-Length")) {
      body_length = std::strtoull(length->c_str(), nullptr, 10);
    }
    std::size_t total = head_end + 4 + body_length;
    while (buffer.size() < total) {
      if (!read_more()) {
        open = false;
        break;
      }
    }
    if (!open) break;
    request.body = buffer.substr(head_end + 4, body_length);
    request.raw = buffer.substr(0, total);
    buffer.erase(0, total);

    std::shared_ptr<const Handler> handler;
    {
      std::lock_guard lock(shared_->mutex);
      shared_->requests.push_back(request);
      handler = shared_->handler;
    }
    shared_->changed.notify_all();

    if (options_.response_delay.count() > 0 && !connection.sleep(options_.response_delay)) break;
    try {
      if (*handler) (*handler)(request, connection);
    } catch (...) {
      break;  // a failing script ends its connection, not the server
    }
    if (connection.dead_ || !wants_keep_alive(request)) break;
  }

  {
    std::lock_guard lock(shared_->mutex);
    shared_->open_fds.erase(fd);
  }
  ::close(fd);
}

}  // namespace velmora::loopback
