// The program's start-up: the application, its title, the three windows, the
// message loop until the main window is closed, and the orderly shutdown.
// One optional argument names a mod to open once the window is up.
#include <QApplication>
#include <cstdio>

#include "forms/main/AppStartup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString modPath;
  if (!ModPathFromArguments(app.arguments().mid(1), modPath)) {
    std::fputs("usage: quillforge [mod file]\n", stderr);
    return 2;
  }
  return RunApplication(app, {}, modPath);
}
