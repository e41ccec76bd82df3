#pragma once
// quillforge extract: a mod's entries written below a folder.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

inline constexpr char kExtractUsage[] =
    "usage: quillforge extract MOD [DIR] [NAME...]\n"
    "\n"
    "Writes the entries of MOD below DIR (the current folder when it is not\n"
    "given; made when it does not exist), each backslash of an internal name a\n"
    "folder level, as Export All does: every entry the \"(listfile)\" names, or\n"
    "with NAMEs only those matching one of them (* and ? as wildcards, letter\n"
    "case ignored). A name that would land outside DIR, or whose way there\n"
    "passes a symbolic link, is not written. Each file is written whole or not\n"
    "at all; files already there are replaced. The entries are decoded on\n"
    "every core.\n"
    "\n"
    "A NAME that matches no entry stops the command before anything is\n"
    "written. Exit status 2 when any entry could not be written.\n"
    "\n"
    "Example: quillforge extract MyMod.QLM out 'data\\global\\excel\\*.txt'\n";

int RunExtractCommand(const QStringList& args, Io& io);

}  // namespace cli
