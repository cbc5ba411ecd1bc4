// How the program starts and ends.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "ui/main_window.h"

namespace velmora::ui {

// The pieces start_program puts together; each empty function means the program's own.
struct ProgramParts {
  WindowServices services;
  // Runs once when the program ends normally; the program's own releases the harvest state.
  std::function<void()> exit_step;
  // Makes the main window, hidden, with its controls; throws where it cannot be made.
  std::function<std::unique_ptr<MainWindow>(WindowServices)> create_window;
  // The window's created event, before it is shown; the program's own is run_created_event.
  std::function<void(MainWindow&)> on_created;
  // Tells the user that the window could not be made; the program's own writes to stderr and
  // tries a message box.
  std::function<void(const QString&)> report_failure;
};

// Makes the harvest state empty, registers the exit step, loads the main window (created
// hidden, its created event, then shown centred), runs the event loop until the window has
// closed, runs the exit step once and releases the internet root. 0 then; nonzero, without the
// exit step, when the window cannot be made. Needs a QApplication.
int start_program(ProgramParts parts = {});

// The window's created event of the program itself: the start-up notices, with the hover tip
// and the look.
void run_created_event(MainWindow& window);

}  // namespace velmora::ui
