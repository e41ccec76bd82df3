#pragma once
// quillforge list: a mod's entries, one a line.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

inline constexpr char kListUsage[] =
    "usage: quillforge list [--long] MOD\n"
    "\n"
    "Lists the entries of MOD in the order of its \"(listfile)\", one a line: the\n"
    "internal name, a TAB and the size in bytes. An entry the listing names but\n"
    "the archive lacks shows the size 0.\n"
    "\n"
    "    --long    also the bytes the entry takes in the archive and its flags\n"
    "              (hexadecimal), each after a TAB\n"
    "\n"
    "Example: quillforge list MyMod.QLM | grep -i excel\n";

class Options;

int RunListCommand(const QStringList& args, Io& io);
void DeclareListOptions(Options& options);

}  // namespace cli
