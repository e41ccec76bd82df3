#pragma once
// The commands of the command line: a name, a line for quillforge --help, the
// text for quillforge COMMAND --help, and the function that runs it.
#include <QStringList>
#include <span>

#include "cli/CliIo.h"

namespace cli {

using RunCommand = int (*)(const QStringList& args, Io& io);

struct Command {
  const char* name;
  const char* summary;
  const char* usage;
  RunCommand run;
};

// In the order quillforge --help lists them.
std::span<const Command> Commands();

// The command of that name, or null.
const Command* FindCommand(const QString& name);

}  // namespace cli
