// The program's start-up. With a command (quillforge COMMAND ...) it runs on
// a core application, which opens no display, and exits with the command's
// status. Otherwise: the application, its title, the three windows, the
// message loop until the main window is closed, and the orderly shutdown; one
// optional argument names a mod to open once the window is up.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

#include "archive/ArchiveReader.h"
#include "cli/CommandLine.h"
#include "forms/main/AppStartup.h"

namespace {

int RunCommand(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  cli::Io io;
  const int status = cli::RunCommandLine(app.arguments().mid(1), io);
  ReleaseArchiveState();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (cli::WantsCommandLine(arguments)) return RunCommand(argc, argv);

  QApplication app(argc, argv);
  QString modPath;
  if (!ModPathFromArguments(app.arguments().mid(1), modPath)) {
    std::fputs("usage: quillforge [mod file]\n", stderr);
    return 2;
  }
  return RunApplication(app, {}, modPath);
}
