// The program's start-up: the application, its title, the three windows, the
// message loop until the main window is closed, and the orderly shutdown.
#include <QApplication>

#include "forms/AppStartup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return RunApplication(app);
}
