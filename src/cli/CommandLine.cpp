#include "cli/CommandLine.h"

#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "cli/CommandTable.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "platform/AppError.h"
#include "platform/StreamBytes.h"

namespace cli {

namespace {

bool IsHelp(const QString& word) {
  return word == QLatin1String("--help") || word == QLatin1String("-h");
}

bool IsQuiet(const QString& word) {
  return word == QLatin1String("-q") || word == QLatin1String("--quiet");
}

QByteArray MainHelp() {
  QByteArray text =
      "usage: quillforge [MOD.QLM]\n"
      "       quillforge [-q] COMMAND [ARGS...]\n"
      "       quillforge COMMAND --help\n"
      "\n"
      "Without a command the window starts, with MOD.QLM opened when it is given.\n"
      "A command runs without a window and needs no display: its output goes to\n"
      "standard output, errors to standard error, and its exit status is 0 when\n"
      "all went well, 1 when it found what it reports (differences, faults), 2 on\n"
      "a usage error or a failure.\n"
      "\n"
      "Commands:\n";
  for (const Command& command : Commands())
    text += "   " + QByteArray(command.name).leftJustified(10, ' ') + ' ' + command.summary + '\n';
  text +=
      "\n"
      "Options:\n"
      "   -h, --help    show this text (after a command: that command's text)\n"
      "   --version     show the program's version\n"
      "   -q, --quiet   no progress on standard error (shown only on a terminal)\n"
      "\n"
      "See 'quillforge COMMAND --help' for what one command takes.\n";
  return text;
}

int ShowUsageOf(Io& io, const QString& name) {
  const Command* command = FindCommand(name);
  if (!command) {
    Complain(io, QStringLiteral("'%1' is not a quillforge command (see quillforge --help)").arg(name));
    return kFailed;
  }
  Write(io.out, command->usage);
  return kOk;
}

int Run(const Command& command, const QStringList& args, Io& io) {
  try {
    return command.run(args, io);
  } catch (const AppError& error) {
    Complain(io, error.message());
  } catch (const std::exception& error) {
    Complain(io,
             QStringLiteral("%1: %2").arg(QLatin1String(command.name), QString::fromLocal8Bit(error.what())));
  }
  return kFailed;
}

}  // namespace

bool WantsCommandLine(const QStringList& arguments) {
  if (arguments.isEmpty()) return false;
  if (arguments.size() > 1) return true;
  const QString& word = arguments.first();
  if (word.startsWith(QLatin1Char('-'))) return true;
  if (word.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return false;
  if (word.endsWith(QLatin1String(".qlm"), Qt::CaseInsensitive) ||
      word.endsWith(QLatin1String(".mpq"), Qt::CaseInsensitive))
    return false;
  return !QFileInfo(word).isFile();
}

namespace {

int RunWords(const QStringList& arguments, Io& io) {
  QStringList words = arguments;
  bool quiet = false;
  // The program's own options, before the command.
  while (!words.isEmpty() && words.first().startsWith(QLatin1Char('-'))) {
    const QString word = words.takeFirst();
    if (IsHelp(word)) {
      Write(io.out, MainHelp());
      return kOk;
    }
    if (word == QLatin1String("--version")) {
      Write(io.out, "quillforge " QF_VERSION "\n");
      return kOk;
    }
    if (!IsQuiet(word)) {
      Complain(io, QStringLiteral("unknown option '%1' (see quillforge --help)").arg(word));
      return kFailed;
    }
    quiet = true;
  }
  if (words.isEmpty()) {
    Complain(io, QStringLiteral("no command given (see quillforge --help)"));
    return kFailed;
  }
  const QString name = words.takeFirst();
  if (name == QLatin1String("help")) {
    if (words.isEmpty()) {
      Write(io.out, MainHelp());
      return kOk;
    }
    return ShowUsageOf(io, words.first());
  }
  const Command* command = FindCommand(name);
  if (!command) {
    Complain(io, QStringLiteral("'%1' is not a quillforge command (see quillforge --help)").arg(name));
    return kFailed;
  }
  // --help and -q anywhere among the command's options, up to a "--", but
  // never where they are the value of one of its options.
  Options declared;
  if (command->declare) command->declare(declared);
  bool help = false;
  bool quietHere = false;
  declared.Without(words, {QStringLiteral("--help"), QStringLiteral("-h")}, help);
  if (help) return ShowUsageOf(io, name);
  const QStringList args =
      declared.Without(words, {QStringLiteral("--quiet"), QStringLiteral("-q")}, quietHere);
  quiet = quiet || quietHere;
  io.progress = !quiet && ::isatty(::fileno(io.err));
  return Run(*command, args, io);
}

}  // namespace

int RunCommandLine(const QStringList& arguments, Io& io) {
  files::WriteBytesAsGiven(io.out);
  files::WriteBytesAsGiven(io.err);
  const int status = RunWords(arguments, io);
  // Output lost on the way (a full disk, a closed pipe) leaves the reader
  // with less than the command meant to say: that is a failure.
  errno = 0;
  if (std::fflush(io.out) != 0 || std::ferror(io.out)) {
    const int why = errno;
    Complain(io, why ? QStringLiteral("the output could not be written: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(why)))
                     : QStringLiteral("the output could not be written"));
    return kFailed;
  }
  return status;
}

}  // namespace cli
