// velmora_drive [--host HOST:PORT | --port PORT] [--screenshot FILE.png]
//
// Starts the program's window as the program does (start-up notices, tip, look; shown centred),
// then, as a user would: presses 提取下载地址 on the sample address, 全选, then 导出下载地址, and
// prints what the export box holds (the links, each followed by CR LF) to stdout. With --screenshot
// it saves the window as it then looks. Without --host it serves the sample users itself on
// 127.0.0.1, at PORT when given (so the picture shows the address the run command uses), else on a
// free port. Without a display it runs on Qt's offscreen platform.
//
// Exit code: 0 when links were exported, 1 when the harvest stopped or exported nothing, 2 for a
// wrong command line.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sample_service/sample_service.h"
#include "ui/main_window.h"
#include "ui/start_program.h"

namespace {

struct Options {
  std::string host;  // empty: serve the sample users here
  std::uint16_t port = 0;
  std::string screenshot;
};

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--host" || arg == "--screenshot") && i + 1 < argc) {
      (arg == "--host" ? options.host : options.screenshot) = argv[++i];
    } else if (arg == "--port" && i + 1 < argc) {
      const std::string_view digits = argv[++i];
      const auto [end, error] =
          std::from_chars(digits.data(), digits.data() + digits.size(), options.port);
      if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// Qt reads the platform when the application is made: offscreen unless a display is there or
// the caller chose a platform.
void choose_platform() {
  const bool has_display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !has_display)
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parse(argc, argv);
  if (!options) {
    std::fprintf(stderr, "usage: %s [--host HOST:PORT | --port PORT] [--screenshot FILE.png]\n",
                 argv[0]);
    return 2;
  }
  choose_platform();
  QApplication application(argc, argv);

  std::optional<velmora::sample::SampleService> service;
  std::string host = options->host;
  if (host.empty()) {
    try {
      service = velmora::sample::start_sample_service(options->port);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "velmora_drive: cannot start the sample service: %s\n", error.what());
      return 1;
    }
    host = service->host();
  }

  using namespace velmora::ui;
  bool stopped = false;
  std::string exported;
  ProgramParts parts;
  parts.services.host = host;
  parts.services.report_stop = [&](const QString& message) {
    stopped = true;
    std::fprintf(stderr, "velmora_drive: the harvest stopped: %s\n", message.toLocal8Bit().data());
  };
  parts.create_window = [&](WindowServices services) {
    auto window = std::make_unique<MainWindow>(std::move(services));
    MainWindow* shown = window.get();
    // Once the event loop runs, the window is shown: drive it as a user would.
    QTimer::singleShot(0, shown, [&, shown] {
      shown->编辑框1.set_text(sample_address(host));
      shown->按钮1.click();
      shown->按钮全选.click();
      shown->按钮2.click();
      exported = shown->编辑框2.get_text();
      if (!options->screenshot.empty()) {
        const QImage picture = shown->grab().toImage();
        if (!picture.save(QString::fromStdString(options->screenshot), "PNG")) {
          std::fprintf(stderr, "velmora_drive: cannot write %s\n", options->screenshot.c_str());
          stopped = true;
        }
      }
      shown->close();
    });
    return window;
  };
  const int code = start_program(std::move(parts));
  std::fwrite(exported.data(), 1, exported.size(), stdout);
  if (code != 0) return code;
  return stopped || exported.empty() ? 1 : 0;
}
