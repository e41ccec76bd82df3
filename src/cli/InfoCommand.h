#pragma once
// quillforge info: a mod's information, shown or changed.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

inline constexpr char kInfoUsage[] =
    "usage: quillforge info [--json] MOD\n"
    "       quillforge info MOD --set-title T [--set-author A] [--set-version V]\n"
    "           [--set-game-version G] [--set-url U] [--set-description D]\n"
    "           [--set-description-file F]\n"
    "\n"
    "Shows the texts of the mod's \"(modinfo)\", one 'field: value' line each in\n"
    "the record's order: title, author, game-version, url, version,\n"
    "description. A text holding a control character (a line end, a TAB) or\n"
    "starting with a double quote is shown in double quotes with C escapes\n"
    "(\\\" \\\\ \\t \\n \\r, \\ooo for other control bytes), so each stays on its line.\n"
    "\n"
    "Text is single-byte: each byte is shown as its Windows-1252 character in\n"
    "UTF-8 (the five bytes that code page leaves undefined as U+0081, U+008D,\n"
    "U+008F, U+0090 and U+009D), and arguments are read back the same way.\n"
    "\n"
    "    --json                 one JSON object instead, a string per field: \"\n"
    "                           and \\ escaped, control characters, DEL and\n"
    "                           U+0080..U+009F as \\u00XX, the rest in UTF-8; each\n"
    "                           character stands for one byte as above\n"
    "    --set-FIELD VALUE      change that text (any of the six fields)\n"
    "    --set-description-file F\n"
    "                           the description from a file, byte for byte\n"
    "\n"
    "The changes are written in one Update; the texts no option names stay as\n"
    "they are, byte for byte.\n"
    "\n"
    "Examples: quillforge info MyMod.QLM\n"
    "          quillforge info MyMod.QLM --set-version 1.3 --set-game-version 1.14d\n";

class Options;

int RunInfoCommand(const QStringList& args, Io& io);
void DeclareInfoOptions(Options& options);

}  // namespace cli
