#include "tools/sample_service/sample_service.h"

#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>

namespace velmora::sample {
namespace {

using loopback::Connection;
using loopback::Header;
using loopback::Request;
using loopback::Response;

constexpr std::string_view kHtml = "text/html; charset=utf-8";

std::string html_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A JSON string's content; slashes escaped too, as the service's scripts write them.
std::string json_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

// The content of a double-quoted JS string literal holding the text (JSON, here).
std::string js_string_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool is_unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// Percent-encodes all but unreserved bytes (and, with keep_slash, "/").
std::string percent_encoded(std::string_view text, bool keep_slash) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (is_unreserved(c) || (keep_slash && c == '/')) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" decoded; in a query "+" also stands for a space.
std::string percent_decoded(std::string_view text, bool plus_is_space) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
        hex_value(text[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
      i += 2;
    } else {
      out += plus_is_space && text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

// The first value of a query parameter, decoded; empty when absent.
std::string query_value(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    const std::size_t eq = pair.find('=');
    if (pair.substr(0, eq) == name) {
      return eq == std::string_view::npos ? std::string{}
                                          : percent_decoded(pair.substr(eq + 1), true);
    }
  }
  return {};
}

std::string size_text(std::size_t bytes) {
  char buf[32];
  if (bytes < 1024) {
    std::snprintf(buf, sizeof buf, "%zuB", bytes);
  } else if (bytes < 1024 * 1024) {
    std::snprintf(buf, sizeof buf, "%.1fKB", static_cast<double>(bytes) / 1024);
  } else {
    std::snprintf(buf, sizeof buf, "%.1fMB", static_cast<double>(bytes) / (1024 * 1024));
  }
  return buf;
}

std::string_view content_type_of(std::string_view path) {
  auto ends_with = [&](std::string_view suffix) {
    return path.size() >= suffix.size() && path.substr(path.size() - suffix.size()) == suffix;
  };
  if (ends_with(".txt") || ends_with(".md")) return "text/plain; charset=utf-8";
  if (ends_with(".csv")) return "text/csv; charset=utf-8";
  if (ends_with(".svg")) return "image/svg+xml";
  return "application/octet-stream";
}

std::string page(std::string_view title, std::string_view body) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
  out += "<title>";
  out += html_escaped(title);
  out += "</title>\n</head>\n<body>\n";
  out += body;
  out += "</body>\n</html>\n";
  return out;
}

std::string not_found_page() {
  return page("页面不存在",
              "<h1>页面不存在</h1>\n<p>你要找的分享不存在，或者已被分享者取消。</p>\n");
}

// Everything a request can ask for, looked up by key; read-only once built, so the connection
// threads share it without a lock.
struct Index {
  SampleCatalogue catalogue;
  std::map<std::string, const SampleUser*, std::less<>> users;
  std::map<std::pair<std::string, std::string>, const SampleFile*> shares;  // (user key, id)
  std::map<std::string, const SampleFile*, std::less<>> files;  // by encoded path below /file/

  explicit Index(SampleCatalogue all) : catalogue(std::move(all)) {
    for (const SampleUser& user : catalogue) {
      if (!users.emplace(user.user_key, &user).second) {
        throw std::invalid_argument("sample user key listed twice: " + user.user_key);
      }
      for (const SampleFile& file : user.shares) {
        if (!shares.emplace(std::pair(user.user_key, file.share_id), &file).second) {
          throw std::invalid_argument("sample share id listed twice: " + file.share_id);
        }
        if (!files.emplace(percent_encoded(file.path, true), &file).second) {
          throw std::invalid_argument("sample download path listed twice: " + file.path);
        }
      }
    }
  }

  const SampleUser* user(std::string_view key) const {
    auto found = users.find(key);
    return found == users.end() ? nullptr : found->second;
  }
  const SampleFile* share(const std::string& key, const std::string& id) const {
    auto found = shares.find({key, id});
    return found == shares.end() ? nullptr : found->second;
  }
  const SampleFile* file(std::string_view encoded_path) const {
    auto found = files.find(encoded_path);
    return found == files.end() ? nullptr : found->second;
  }
};

Response html_response(int status, std::string body) {
  Response response;
  response.status = status;
  response.headers = {{"Content-Type", std::string(kHtml)}, {"Cache-Control", "no-store"}};
  response.body = std::move(body);
  return response;
}

Response respond(const Index& index, const Request& request, std::string_view host) {
  const std::string_view target = request.target;
  const std::size_t question = target.find('?');
  const std::string_view path = target.substr(0, question);
  const std::string_view query =
      question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);

  if (path == "/share/home") {
    if (const SampleUser* user = index.user(query_value(query, "uk"))) {
      return html_response(200, share_home_page(*user));
    }
  } else if (path == "/share/link") {
    const std::string key = query_value(query, "uk");
    if (const SampleFile* file = index.share(key, query_value(query, "shareid"))) {
      return html_response(200, link_page(*index.user(key), *file, host));
    }
  } else if (path.starts_with("/file/")) {
    // Compared in one spelling, however the client chose to encode the path.
    const std::string encoded = percent_encoded(percent_decoded(path.substr(6), false), true);
    if (const SampleFile* file = index.file(encoded)) {
      Response response;
      const std::size_t slash = file->path.rfind('/');
      const std::string base = file->path.substr(slash == std::string::npos ? 0 : slash + 1);
      response.headers = {
          {"Content-Type", std::string(content_type_of(file->path))},
          {"Content-Disposition", "attachment; filename=\"" + base + "\"; filename*=UTF-8''" +
                                      percent_encoded(file->name, false)},
      };
      response.body = file->content;
      return response;
    }
  }
  return html_response(404, not_found_page());
}

void serve_request(const Index& index, const Request& request, Connection& connection,
                   std::string_view host) {
  Response response;
  const bool head = request.method == "HEAD";
  if (request.method == "GET" || head) {
    response = respond(index, request, host);
  } else {
    response = html_response(405, page("不支持的请求", "<h1>只支持 GET 和 HEAD 请求</h1>\n"));
    response.reason = "Method Not Allowed";
    response.headers.push_back({"Allow", "GET, HEAD"});
  }
  std::string bytes = loopback::to_bytes(response);
  if (head) bytes.resize(bytes.size() - response.body.size());
  connection.send(bytes);
}

}  // namespace

std::string download_link(const SampleFile& file, std::string_view host) {
  std::string link = "http://";
  link += host;
  link += "/file/";
  link += percent_encoded(file.path, true);
  return link;
}

std::string share_home_page(const SampleUser& user) {
  std::string list;
  std::string json = "{\"uk\":" + user.user_key + ",\"name\":\"" + json_escaped(user.display_name) +
                     "\",\"total\":" + std::to_string(user.shares.size()) + ",\"list\":[";
  for (std::size_t i = 0; i < user.shares.size(); ++i) {
    const SampleFile& file = user.shares[i];
    list += "<li><a href=\"/share/link?shareid=" + file.share_id + "&amp;uk=" + user.user_key +
            "\">" + html_escaped(file.name) + "</a></li>\n";
    if (i > 0) json += ',';
    // The id comes first in each entry and is followed by a comma: that is what readers cut.
    json += "{\"shareId\":" + file.share_id + ",\"title\":\"" + json_escaped(file.name) +
            "\",\"size\":" + std::to_string(file.content.size()) + "}";
  }
  json += "]}";

  std::string body = "<h1>" + html_escaped(user.display_name) + " 的分享主页</h1>\n";
  body += "<p>共 " + std::to_string(user.shares.size()) + " 个分享</p>\n";
  body +=
      user.shares.empty() ? std::string("<p>这里还没有分享。</p>\n") : "<ul>\n" + list + "</ul>\n";
  body +=
      "<script>\nwindow.shareHome = JSON.parse(\"" + js_string_escaped(json) + "\");\n</script>\n";
  return page(user.display_name + " 的分享主页", body);
}

std::string link_page(const SampleUser& user, const SampleFile& file, std::string_view host) {
  const std::string link = download_link(file, host);
  const std::string json = "{\"shareId\":" + file.share_id + ",\"uk\":" + user.user_key +
                           ",\"fileName\":\"" + json_escaped(file.name) +
                           "\",\"size\":" + std::to_string(file.content.size()) + ",\"dlink\":\"" +
                           json_escaped(link) + "\"}";
  std::string body = "<h1>" + html_escaped(file.name) + "</h1>\n";
  body += "<p class=\"file-info\">文件名:" + html_escaped(file.name) +
          "文件大小:" + size_text(file.content.size()) + "</p>\n";
  body += "<p>分享者：" + html_escaped(user.display_name) + "</p>\n";
  body += "<p><a href=\"" + html_escaped(link) + "\">下载</a></p>\n";
  body +=
      "<script>\nwindow.shareFile = JSON.parse(\"" + js_string_escaped(json) + "\");\n</script>\n";
  return page(file.name + " - 分享", body);
}

SampleUser generated_user(std::string user_key, std::size_t share_count) {
  SampleUser user{std::move(user_key), "批量用户", {}};
  user.shares.reserve(share_count);
  for (std::size_t i = 1; i <= share_count; ++i) {
    std::string number = std::to_string(i);
    if (number.size() < 5) number.insert(0, 5 - number.size(), '0');
    SampleFile file;
    file.share_id = std::to_string(8000000000ULL + i);
    file.name = std::string("批量文件-") + number + ".txt";
    file.path = user.user_key + "/batch/file-" + number + ".txt";
    file.content = "file " + std::to_string(i) + " of " + std::to_string(share_count) + "\n";
    user.shares.push_back(std::move(file));
  }
  return user;
}

struct SampleService::State {
  std::shared_ptr<const Index> index;
  std::unique_ptr<loopback::LoopbackServer> server;
};

SampleService::SampleService(std::unique_ptr<State> state) : state_(std::move(state)) {}
SampleService::SampleService(SampleService&&) noexcept = default;
SampleService& SampleService::operator=(SampleService&&) noexcept = default;
SampleService::~SampleService() = default;

std::uint16_t SampleService::port() const noexcept {
  return state_->server->port();
}
std::string SampleService::host() const {
  return "127.0.0.1:" + std::to_string(port());
}
std::string SampleService::home_address(std::string_view user_key) const {
  return "http://" + host() + "/share/home?uk=" + std::string(user_key);
}
const SampleCatalogue& SampleService::catalogue() const noexcept {
  return state_->index->catalogue;
}
loopback::LoopbackServer& SampleService::server() noexcept {
  return *state_->server;
}
void SampleService::stop() {
  state_->server->stop();
}

SampleService start_sample_service(std::uint16_t port, SampleCatalogue catalogue) {
  auto state = std::make_unique<SampleService::State>();
  state->index = std::make_shared<const Index>(std::move(catalogue));
  // The links carry the port, which an ephemeral bind only tells once listening: until the real
  // handler is in place (no client knows the port yet) requests get a 503.
  loopback::Response not_yet;
  not_yet.status = 503;
  state->server = std::make_unique<loopback::LoopbackServer>(loopback::serve(not_yet),
                                                             loopback::ServerOptions{port});
  const std::string host = "127.0.0.1:" + std::to_string(state->server->port());
  state->server->set_handler(
      [index = state->index, host](const Request& request, Connection& connection) {
        serve_request(*index, request, connection, host);
      });
  return SampleService(std::move(state));
}

}  // namespace velmora::sample
