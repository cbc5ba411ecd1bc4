#include "tools/sample_service/sample_service.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "harvest/harvest.h"
#include "text/codepage.h"

namespace velmora::sample {
namespace {

struct Reply {
  int status = 0;
  std::string head;
  std::string body;

  std::string header(std::string_view name) const {
    const std::string key = "\r\n" + std::string(name) + ": ";
    const std::size_t at = head.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size();
    return head.substr(start, head.find("\r\n", start) - start);
  }
};

// One HTTP/1.0 exchange on 127.0.0.1: the server closes after answering, so the reply is
// everything up to the close. Gives up after a few seconds rather than hang the test.
Reply exchange(std::uint16_t port, std::string_view method, std::string_view target) {
  Reply reply;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return reply;
  timeval timeout{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string raw;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request =
        std::string(method) + " " + std::string(target) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char buf[8192];
      ssize_t got;
      while ((got = ::recv(fd, buf, sizeof buf, 0)) > 0) raw.append(buf, got);
    }
  }
  ::close(fd);
  const std::size_t head_end = raw.find("\r\n\r\n");
  if (head_end == std::string::npos || raw.size() < 12) return reply;
  reply.status = std::stoi(raw.substr(9, 3));
  reply.head = raw.substr(0, head_end);
  reply.body = raw.substr(head_end + 4);
  return reply;
}

std::string target_of(std::string_view address) {
  const std::size_t slash = address.find('/', address.find("//") + 2);
  return std::string(address.substr(slash));
}

std::uint16_t port_of(std::string_view address) {
  const std::size_t colon = address.find(':', address.find("//"));
  return static_cast<std::uint16_t>(std::stoi(std::string(address.substr(colon + 1))));
}

// The harvest's two fetchers over the exchange above: the home page as bytes, the link page
// decoded by its charset and converted to the code page, as the program's fetchers do.
harvest::PageFetchers fetchers() {
  harvest::PageFetchers f;
  f.fetch_page_bytes = [](std::string_view address) {
    const Reply reply = exchange(port_of(address), "GET", target_of(address));
    return text::ByteSet(reply.body.begin(), reply.body.end());
  };
  f.fetch_page_text = [](std::string_view address) {
    const Reply reply = exchange(port_of(address), "GET", target_of(address));
    const std::string type = reply.header("Content-Type");
    const std::size_t charset = type.find("charset=");
    const std::u16string decoded = text::decode_body(
        {reinterpret_cast<const unsigned char*>(reply.body.data()), reply.body.size()},
        charset == std::string::npos ? "" : type.substr(charset + 8));
    return text::unicode_to_ansi(decoded);
  };
  return f;
}

class RecordingView : public harvest::HarvestView {
 public:
  explicit RecordingView(std::string address) : address_(std::move(address)) {}
  text::Text read_address() override { return address_; }
  void set_status_line(int, std::string_view) override {}
  void set_counter_text(std::string_view) override {}
  std::int32_t progress_minimum() override { return 0; }
  std::int32_t progress_maximum() override { return maximum_; }
  void set_progress_maximum(std::int32_t n) override { maximum_ = std::clamp(n, 0, 32767); }
  std::int32_t progress_position() override { return position_; }
  void set_progress_position(std::int32_t n) override { position_ = std::clamp(n, 0, 32767); }
  void add_file_name(std::string_view name) override { names.emplace_back(name); }
  void add_link(std::string_view link) override { links.emplace_back(link); }

  std::vector<std::string> names, links;

 private:
  std::string address_;
  std::int32_t maximum_ = 100, position_ = 0;
};

// Once over plain sockets, once through the program's own page fetchers.
class SampleHarvest : public ::testing::TestWithParam<bool> {};

TEST_P(SampleHarvest, ListsEverySampleFileWithALinkThatDownloadsIt) {
  SampleService service = start_sample_service();
  for (const SampleUser& user : service.catalogue()) {
    if (user.shares.empty()) continue;
    SCOPED_TRACE(user.user_key);
    harvest::HarvestState state;
    RecordingView view(service.home_address(user.user_key));
    harvest::Harvest(state, view, GetParam() ? harvest::PageFetchers::network() : fetchers(),
                     service.host())
        .extract_addresses();

    std::vector<std::string> names, links;
    for (const SampleFile& file : user.shares) {
      names.push_back(text::utf8_to_ansi(file.name));
      links.push_back(download_link(file, service.host()));
    }
    EXPECT_EQ(view.names, names);
    ASSERT_EQ(view.links, links);
    for (std::size_t i = 0; i < links.size(); ++i) {
      const Reply download = exchange(service.port(), "GET", target_of(links[i]));
      EXPECT_EQ(download.status, 200) << links[i];
      EXPECT_EQ(download.body, user.shares[i].content) << links[i];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fetchers, SampleHarvest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Network" : "Sockets"; });

TEST(SampleService, PagesCarryTheMarkersInTheirEscapedForm) {
  SampleService service = start_sample_service();
  const std::string port = std::to_string(service.port());

  const Reply home = exchange(service.port(), "GET", "/share/home?uk=100000002");
  EXPECT_EQ(home.status, 200);
  EXPECT_EQ(home.header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(home.body.find(R"({\"shareId\":7320000021,)"), std::string::npos) << home.body;
  EXPECT_NE(home.body.find(R"({\"shareId\":7320000023,)"), std::string::npos) << home.body;

  const Reply link = exchange(service.port(), "GET", "/share/link?shareid=7320000021&uk=100000002");
  EXPECT_EQ(link.status, 200);
  EXPECT_NE(link.body.find("文件名:README.txt文件大小:"), std::string::npos) << link.body;
  EXPECT_NE(
      link.body.find(R"(dlink\":\"http:\\/\\/127.0.0.1:)" + port + R"(\\/file\\/README.txt\")"),
      std::string::npos)
      << link.body;

  // Further query text after the key, as an address pasted with it would give.
  EXPECT_EQ(exchange(service.port(), "GET", "/share/home?uk=100000002&view=list").status, 200);
}

TEST(SampleService, AnswersWhatItDoesNotKnowWith404WithoutMarkers) {
  SampleService service = start_sample_service();
  for (const char* target : {
           "/share/home?uk=999999999",
           "/share/home",
           "/share/link?shareid=7320000021&uk=100000001",  // another user's share
           "/share/link?shareid=1&uk=100000002",
           "/file/no-such-file.txt",
           "/file/",
           "/",
       }) {
    SCOPED_TRACE(target);
    const Reply reply = exchange(service.port(), "GET", target);
    EXPECT_EQ(reply.status, 404);
    EXPECT_FALSE(reply.body.empty());
    for (const char* marker : {"shareId\\", "dlink\\", "文件名:", "文件大小:"}) {
      EXPECT_EQ(reply.body.find(marker), std::string::npos) << marker;
    }
  }
}

TEST(SampleService, HeadHasNoBodyAndOtherMethodsAreRefused) {
  SampleService service = start_sample_service();
  const Reply head = exchange(service.port(), "HEAD", "/file/README.txt");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");
  EXPECT_NE(head.header("Content-Length"), "0");
  EXPECT_EQ(exchange(service.port(), "POST", "/file/README.txt").status, 405);
  // A path spelled with escapes is the same file.
  EXPECT_EQ(exchange(service.port(), "GET", "/file/README%2Etxt").body,
            exchange(service.port(), "GET", "/file/README.txt").body);
}

TEST(SampleService, GeneratedUserListsEveryShareInOrder) {
  SampleCatalogue catalogue{generated_user("200000000", 1500)};
  SampleService service = start_sample_service(0, std::move(catalogue));
  const Reply home = exchange(service.port(), "GET", "/share/home?uk=200000000");
  std::size_t count = 0, at = 0;
  std::string previous;
  while ((at = home.body.find("shareId\\\":", at)) != std::string::npos) {
    at += 10;
    const std::string id = home.body.substr(at, home.body.find(',', at) - at);
    EXPECT_LT(previous, id);
    previous = id;
    ++count;
  }
  EXPECT_EQ(count, 1500u);
  const Reply last =
      exchange(service.port(), "GET", "/share/link?shareid=" + previous + "&uk=200000000");
  EXPECT_NE(last.body.find("文件名:批量文件-01500.txt文件大小:"), std::string::npos);
}

TEST(SampleService, RejectsACatalogueThatNamesAShareTwice) {
  SampleUser user = generated_user("200000000", 2);
  user.shares[1].share_id = user.shares[0].share_id;
  EXPECT_THROW(start_sample_service(0, {user}), std::invalid_argument);
}

// The executable: serves until SIGINT or SIGTERM, then exits 0.
TEST(SampleServiceProgram, StopsCleanlyOnEitherSignal) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal_number);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      ::execl(VELMORA_SAMPLE_SERVICE_PROGRAM, VELMORA_SAMPLE_SERVICE_PROGRAM, "0", nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    // The first line names the address it listens on.
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1) line += c;
    const std::size_t colon = line.find("127.0.0.1:");
    ASSERT_NE(colon, std::string::npos) << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(colon + 10)));
    EXPECT_EQ(exchange(port, "GET", "/share/home?uk=100000001").status, 200);

    ::kill(child, signal_number);
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; waited < 100 && ended == 0; ++waited) {
      ended = ::waitpid(child, &status, WNOHANG);
      if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ended == 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << "still running 5 s after the signal";
    }
    ::close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

}  // namespace
}  // namespace velmora::sample
