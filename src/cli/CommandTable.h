#pragma once
// The commands of the command line: a name, a line for quillforge --help, the
// text for quillforge COMMAND --help, and the function that runs it.
#include <QStringList>
#include <span>

#include "cli/CliIo.h"

namespace cli {

class Options;

using RunCommand = int (*)(const QStringList& args, Io& io);
// Declares the options the command takes, so that the words given as their
// values are known before the command runs; null for a command without any.
using DeclareOptions = void (*)(Options& options);

struct Command {
  const char* name;
  const char* summary;
  const char* usage;
  RunCommand run;
  DeclareOptions declare;
};

// In the order quillforge --help lists them.
std::span<const Command> Commands();

// The command of that name, or null.
const Command* FindCommand(const QString& name);

}  // namespace cli
