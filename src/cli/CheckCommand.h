#pragma once
// quillforge check MOD.QLM [--game FOLDER] [--rules FILE]: Check Mod without
// a window. One finding a line, as compilers print them, then a summary.
#include <QStringList>

#include "cli/CliIo.h"

extern const char kCheckUsage[];

// args: the words after "check". Exit kOk with no error found, kFound with
// errors, kFailed when the mod, the game folder or the rules cannot be read.
int RunCheckCommand(const QStringList& args, cli::Io& io);

namespace cli {
class Options;
}
// The options that take a value, so that the command line knows their values.
void DeclareCheckOptions(cli::Options& options);
