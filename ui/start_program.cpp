#include "ui/start_program.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <utility>

#include "harvest/harvest_state.h"
#include "net/fetch.h"
#include "ui/notices.h"

namespace velmora::ui {

namespace {

// The step run at a normal end, once, and only once it has been registered.
class ExitStep {
 public:
  explicit ExitStep(std::function<void()> step) : step_(std::move(step)) {}
  void run_once() {
    if (!step_) return;
    auto step = std::exchange(step_, nullptr);
    step();
  }

 private:
  std::function<void()> step_;
};

void report_window_failure(const QString& message) {
  std::fprintf(stderr, "velmora: %s\n", message.toLocal8Bit().constData());
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Velmora"), message);
  box.exec();
}

}  // namespace

void run_created_event(MainWindow& window) {
  show_startup_notices(window.气球提示框1, window.编辑框1, window.编辑框2);
}

int start_program(ProgramParts parts) {
  harvest::HarvestState& state = parts.services.state.get();
  harvest::init_harvest_state(state);
  ExitStep exit_step(parts.exit_step ? std::move(parts.exit_step)
                                     : [&state] { harvest::release_harvest_state(state); });

  std::unique_ptr<MainWindow> window;
  QString failure;
  try {
    window = parts.create_window ? parts.create_window(std::move(parts.services))
                                 : std::make_unique<MainWindow>(std::move(parts.services));
    if (window) {
      window->winId();  // the native window now, while hidden
      if (!window->windowHandle()) failure = QStringLiteral("无法创建主窗口。");
    } else {
      failure = QStringLiteral("无法创建主窗口。");
    }
  } catch (const std::exception& error) {
    failure = QStringLiteral("无法创建主窗口：%1").arg(QString::fromLocal8Bit(error.what()));
  }
  if (!failure.isEmpty()) {
    window.reset();
    (parts.report_failure ? parts.report_failure : report_window_failure)(failure);
    return 1;
  }

  (parts.on_created ? parts.on_created : run_created_event)(*window);
  window->move_to_centre();
  window->show();

  QApplication::exec();

  window.reset();
  exit_step.run_once();
  net::release_internet_root();
  return 0;
}

}  // namespace velmora::ui
