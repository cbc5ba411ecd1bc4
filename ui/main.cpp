// velmora: one window that lists the files of a user's public shares and exports their links.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "ui/start_program.h"

namespace {

// Without a display Qt aborts inside QApplication with a message about platform plugins; say
// plainly what is missing instead.
bool has_display() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!has_display()) {
    std::fputs("velmora: no display to open the window on (DISPLAY is not set).\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  return velmora::ui::start_program();
}
