// The program's start-up. With a command (quillforge COMMAND ...) it runs on
// a core application, which opens no display, and exits with the command's
// status. Otherwise: the application, its title, the three windows, the
// message loop until the main window is closed, and the orderly shutdown; one
// optional argument names a mod to open once the window is up.
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <cstdio>

#include "archive/ArchiveReader.h"
#include "cli/CommandLine.h"
#include "forms/main/AppStartup.h"
#include "platform/ConsoleText.h"
#include "platform/StreamBytes.h"

namespace {

// An argument whose bytes are not text in the system's encoding would come
// through as another name (its odd bytes turned into U+FFFD): a file looked
// for or written under a name the user did not give. Such a command is
// refused whole.
bool ArgumentsAreText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray given(argv[i]);
    const QString text = QString::fromLocal8Bit(given);
    if (text.toLocal8Bit() != given) {
      std::fprintf(stderr,
                   "quillforge: the argument \"%s\" is not valid text in this system's encoding; "
                   "nothing was done\n",
                   text.toLocal8Bit().constData());
      return false;
    }
  }
  return true;
}

int RunCommand(int argc, char** argv) {
  const files::CommandConsole console;
  files::WriteBytesAsGiven(stderr);  // as the command's own errors, from the first line
  if (!ArgumentsAreText(argc, argv)) return 2;
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
