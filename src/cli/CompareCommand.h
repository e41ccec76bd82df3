#pragma once
// quillforge compare MOD_OR_FOLDER OTHER [--prefix P] [--names-only]: what differs between
// a mod or folder tree and another mod, folder tree or the game folder, down
// to the cell, with no window.
#include <QStringList>

#include "cli/CliIo.h"

extern const char kCompareUsage[];

// kOk when both sides are the same, kFound when they differ, kFailed when
// the words are wrong or a side cannot be read.
int RunCompareCommand(const QStringList& args, cli::Io& io);

namespace cli {
class Options;
}
void DeclareCompareOptions(cli::Options& options);
