#pragma once
// quillforge build: a mod made from a folder tree, or brought in line with one.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

inline constexpr char kBuildUsage[] =
    "usage: quillforge build DIR -o MOD.QLM [--prefix PREFIX] [--title T]\n"
    "           [--author A] [--version V] [--game-version G] [--url U]\n"
    "           [--description-file F] [--delete-missing]\n"
    "\n"
    "Makes a new mod holding every file below DIR, each under PREFIX followed by\n"
    "its path below DIR with backslashes (letter case kept), as Add Folder names\n"
    "them, with its \"(modinfo)\" from the options. Left out, as Add Folder\n"
    "leaves them out: names starting with \".\" (silently), links to folders,\n"
    "whatever is no regular file or cannot be read, names no mod can hold, and\n"
    "the second of two files the archive would hold as one entry (names that\n"
    "differ only in ASCII letter case, or a raw byte and its UTF-8 spelling);\n"
    "each is reported. A disk name's bytes become the entry's: a UTF-8 character\n"
    "its Windows-1252 byte, any other byte itself.\n"
    "\n"
    "When MOD.QLM exists it is updated instead, in one Update: files of the tree\n"
    "replace the entries of their names or join them, the other entries stay,\n"
    "and the mod information keeps every text no option changes.\n"
    "\n"
    "    -o, --output MOD      the mod to make or update (required)\n"
    "    --prefix PREFIX       the internal folder the tree goes under, e.g. data\\\n"
    "    --title T             the mod's title\n"
    "    --author A            its author\n"
    "    --version V           the mod's version\n"
    "    --game-version G      the game version(s) it is meant for\n"
    "    --url U               where new versions are found\n"
    "    --description-file F  the description: the file's bytes as they are\n"
    "    --delete-missing      when updating, delete the entries (below PREFIX)\n"
    "                          that the tree does not hold\n"
    "\n"
    "Text is single-byte (Windows-1252), as the game shows it.\n"
    "\n"
    "Example: quillforge build mymod -o MyMod.QLM --title 'My Mod' --version 1.2\n";

class Options;

int RunBuildCommand(const QStringList& args, Io& io);
void DeclareBuildOptions(Options& options);

}  // namespace cli
