// A share service for the benchmarks: a share-home page listing n shares and a link page for
// each, on the loopback server, and the plain-socket client that the harvest is measured against.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/loopback_server/loopback_server.h"

namespace velmora::bench {

inline std::string share_home_page(int shares) {
  std::string page = "<html><script>var list=[";
  for (int i = 0; i < shares; ++i) {
    page += "{\"shareId\\\":" + std::to_string(4000000000LL + i) + ",\"public\":1},";
  }
  return page + "];</script></html>";
}

inline std::string link_page(const std::string& id) {
  // 文件名: ... 文件大小: and the escaped link, in a page of a realistic size.
  std::string page = "<html><head><title>share</title></head><body>" + std::string(3000, ' ');
  page += "\xCE\xC4\xBC\xFE\xC3\xFB:file-" + id + ".zip\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:12MB";
  page += "<script>var d={\"dlink\\\":\\\"http:\\\\/\\\\/d.example\\\\/file\\\\/" + id +
          "\\\\/x.zip\\\"};</script>" + std::string(3000, ' ') + "</body></html>";
  return page;
}

// Serves the home page for any /share/home target and a link page for every shareid.
class ShareService {
 public:
  ShareService(int shares, loopback::ServerOptions options = {})
      : home_(std::make_shared<std::string>(share_home_page(shares))),
        server_(
            [home = home_](const loopback::Request& request, loopback::Connection& connection) {
              if (request.target.starts_with("/share/home")) {
                connection.send(loopback::http_response(200, *home));
                return;
              }
              const auto at = request.target.find("shareid=");
              const auto end = request.target.find('&');
              const std::string id = at == std::string::npos
                                         ? std::string()
                                         : request.target.substr(at + 8, end - at - 8);
              connection.send(loopback::http_response(
                  200, link_page(id), {{"Content-Type", "text/html; charset=GBK"}}));
            },
            options) {
    for (int i = 0; i < shares; ++i) ids_.push_back(std::to_string(4000000000LL + i));
  }

  std::string host() const { return "127.0.0.1:" + std::to_string(server_.port()); }
  std::uint16_t port() const { return server_.port(); }
  const std::vector<std::string>& ids() const { return ids_; }
  const std::string& home_page() const { return *home_; }
  // The targets a harvest of user key `key` asks for, in order.
  std::vector<std::string> targets(const std::string& key) const {
    std::vector<std::string> all{"/share/home?uk=" + key};
    for (const auto& id : ids_) all.push_back("/share/link?shareid=" + id + "&uk=" + key);
    return all;
  }

 private:
  std::shared_ptr<std::string> home_;
  loopback::LoopbackServer server_;
  std::vector<std::string> ids_;
};

// The least a client can do: one HTTP/1.0 GET on a new TCP connection, the body read to the end
// of its Content-Length (or to the close).
inline std::string plain_socket_get(std::uint16_t port, const std::string& target) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    throw std::runtime_error("connect");
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    throw std::runtime_error("send");
  }
  std::string response;
  char buffer[16384];
  std::size_t body_start = std::string::npos, length = std::string::npos;
  while (true) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    response.append(buffer, static_cast<std::size_t>(got));
    if (body_start == std::string::npos) {
      const auto end = response.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      body_start = end + 4;
      const auto field = response.find("Content-Length: ");
      if (field != std::string::npos && field < end)
        length = std::stoul(response.substr(field + 16));
    }
    if (length != std::string::npos && response.size() - body_start >= length) break;
  }
  if (body_start == std::string::npos) throw std::runtime_error("no response");
  return response.substr(body_start);
}

}  // namespace velmora::bench
