// velmora_sample_service [PORT] [--generated-shares N]
//
// Serves the sample users on 127.0.0.1:PORT (default 48080) until SIGINT or SIGTERM. With
// --generated-shares, one more user (key 100000009) has N generated shares.
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

#include "tools/sample_service/sample_service.h"

namespace {

constexpr std::uint16_t kDefaultPort = 48080;
constexpr std::string_view kGeneratedUserKey = "100000009";

template <class Number>
bool parse_number(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

int usage(const char* program, int code) {
  std::fprintf(code == 0 ? stdout : stderr,
               "usage: %s [PORT] [--generated-shares N]\n"
               "Serves the sample share users on 127.0.0.1:PORT (default %u) until interrupted.\n",
               program, static_cast<unsigned>(kDefaultPort));
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora::sample;

  std::uint16_t port = kDefaultPort;
  std::size_t generated_shares = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") return usage(argv[0], 0);
    if (arg == "--generated-shares") {
      if (i + 1 >= argc || !parse_number(argv[++i], generated_shares)) return usage(argv[0], 2);
    } else if (!parse_number(arg, port)) {
      return usage(argv[0], 2);
    }
  }

  // Blocked before any thread starts, so every server thread inherits the mask and the signals
  // reach only the sigwait below.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  SampleCatalogue catalogue = builtin_catalogue();
  if (generated_shares > 0) {
    catalogue.push_back(generated_user(std::string(kGeneratedUserKey), generated_shares));
  }

  try {
    SampleService service = start_sample_service(port, std::move(catalogue));
    std::printf("Sample share service on http://%s/\n", service.host().c_str());
    for (const SampleUser& user : service.catalogue()) {
      std::printf("  %s  (%zu shares)%s\n", service.home_address(user.user_key).c_str(),
                  user.shares.size(), user.user_key == default_user_key ? "  default" : "");
    }
    std::printf("Press Ctrl+C to stop.\n");
    std::fflush(stdout);

    int received = 0;
    sigwait(&stop_signals, &received);
    std::printf("Stopping (%s).\n", received == SIGINT ? "SIGINT" : "SIGTERM");
    service.stop();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmora_sample_service: %s\n", error.what());
    return 1;
  }
  return 0;
}
