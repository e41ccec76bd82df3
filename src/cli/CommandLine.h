#pragma once
// quillforge COMMAND ...: the program run without a window, in git's shape.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

// Whether the program's arguments (after its own name) ask for the command
// line rather than the window. The window takes no argument, or one that
// names a mod: a "file:" URL, a name ending in .QLM or .MPQ (any letter
// case), or an existing file (even one named like a command). Everything
// else is for the command line, which says what it makes of it.
bool WantsCommandLine(const QStringList& arguments);

// Runs what the arguments ask: --help, --version, or a command. Returns the
// exit status.
int RunCommandLine(const QStringList& arguments, Io& io);

}  // namespace cli
