#include "cli/CommandTable.h"

#include "cli/BuildCommand.h"
#include "cli/CheckCommand.h"
#include "cli/CompareCommand.h"
#include "cli/ConvertCommand.h"
#include "cli/ExtractCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ListCommand.h"

namespace cli {

namespace {

const Command kCommands[] = {
    {"build", "Make a mod from a folder tree, or update one from it", kBuildUsage, RunBuildCommand,
     DeclareBuildOptions},
    {"check", "Check a mod's sheets for faults the game would trip over", kCheckUsage, RunCheckCommand,
     DeclareCheckOptions},
    {"compare", "Compare a mod with another mod or a folder", kCompareUsage, RunCompareCommand,
     DeclareCompareOptions},
    {"convert", "Write a DC6 or DCC as PNG files, or make a DC6 from them", kConvertUsage,
     RunConvertCommand, DeclareConvertOptions},
    {"extract", "Write a mod's entries below a folder", kExtractUsage, RunExtractCommand, nullptr},
    {"info", "Show or change a mod's information", kInfoUsage, RunInfoCommand, DeclareInfoOptions},
    {"list", "List a mod's entries with their sizes", kListUsage, RunListCommand, DeclareListOptions},
};

}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

const Command* FindCommand(const QString& name) {
  for (const Command& command : kCommands)
    if (name == QLatin1String(command.name)) return &command;
  return nullptr;
}

}  // namespace cli
