// velmora: one window that lists the files of a user's public shares and exports their links.
#include <QApplication>

#include "ui/start_program.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  return velmora::ui::start_program();
}
