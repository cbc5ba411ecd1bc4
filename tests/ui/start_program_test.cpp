// Start-up and end: the order of start_program, Escape from any control ending the program with
// the exit step run once, and a window that cannot be made.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/start_program.h"
#include "ui_fixtures.h"

namespace velmora::ui {
namespace {

struct EscapeCase {
  const char* what;
  QWidget* (*focus_of)(MainWindow&);
  friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.what; }
};

class EscapeEndsTheProgram : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeEndsTheProgram, FromThisControlWithTheExitStepRunOnce) {
  harvest::HarvestState state;
  state.share_ids.append("left from before");
  std::vector<std::string> steps;
  MainWindow* shown = nullptr;

  ProgramParts parts;
  parts.services.state = state;
  parts.exit_step = [&] {
    steps.push_back("exit step");
    EXPECT_EQ(state.share_ids.count(), 0);  // made empty at start-up
  };
  parts.on_created = [&](MainWindow& window) {
    steps.push_back(window.isVisible() ? "created while shown" : "created while hidden");
    shown = &window;
  };
  // Should the window not close, the loop is ended anyway so the test reports it.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    steps.push_back("still open");
    QApplication::closeAllWindows();
  });
  QTimer::singleShot(0, [&] {
    watchdog.start(2000);
    ASSERT_NE(shown, nullptr);
    steps.push_back(shown->isVisible() ? "shown" : "not shown");
    shown->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
    QWidget* focus = GetParam().focus_of(*shown);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Escape);
  });

  EXPECT_EQ(start_program(std::move(parts)), 0);
  EXPECT_EQ(steps, (std::vector<std::string>{"created while hidden", "shown", "exit step"}));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, EscapeEndsTheProgram,
    ::testing::Values(
        EscapeCase{"address_box", [](MainWindow& w) -> QWidget* { return w.编辑框1.editor(); }},
        EscapeCase{"export_box", [](MainWindow& w) -> QWidget* { return w.编辑框2.editor(); }},
        EscapeCase{"file_list", [](MainWindow& w) -> QWidget* { return &w.选择列表框1; }},
        EscapeCase{"extract_button", [](MainWindow& w) -> QWidget* { return &w.按钮1; }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(StartProgram, AWindowThatCannotBeMadeIsReportedAndEndsWithoutTheExitStep) {
  harvest::HarvestState state;
  int exit_steps = 0;
  std::vector<QString> reports;
  ProgramParts parts;
  parts.services.state = state;
  parts.exit_step = [&] { ++exit_steps; };
  parts.create_window = [](WindowServices) -> std::unique_ptr<MainWindow> {
    throw std::runtime_error("no display");
  };
  parts.report_failure = [&](const QString& message) { reports.push_back(message); };
  EXPECT_NE(start_program(std::move(parts)), 0);
  EXPECT_EQ(exit_steps, 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].contains(QStringLiteral("no display")));
}

TEST(StartProgram, TheProgramsOwnCreatedEventFillsTheExportBoxBeforeTheWindowShows) {
  harvest::HarvestState state;
  std::string export_box_when_shown;
  ProgramParts parts;
  parts.services.state = state;
  parts.exit_step = [] {};
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<MainWindow*>(top); window && window->isVisible()) {
        export_box_when_shown = window->编辑框2.get_text();
        window->close();
      }
    }
  });
  EXPECT_EQ(start_program(std::move(parts)), 0);
  EXPECT_NE(export_box_when_shown, "");
}

}  // namespace
}  // namespace velmora::ui
