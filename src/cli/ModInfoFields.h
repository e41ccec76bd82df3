#pragma once
// The six texts of the mod information as the command line names them, in
// the record's order, and the options that set them.
#include <QString>

#include "archive/ModInfo.h"
#include "cli/CliIo.h"
#include "cli/Options.h"

namespace cli {

struct ModInfoField {
  ModInfo::Text text;
  const char* name;  // "title", "game-version", ...
};

inline constexpr ModInfoField kModInfoFields[] = {
    {ModInfo::Title, "title"}, {ModInfo::Author, "author"},      {ModInfo::D2Version, "game-version"},
    {ModInfo::URL, "url"},     {ModInfo::ModVersion, "version"}, {ModInfo::Description, "description"},
};

// Declares --<prefix><name> T for each text and --<prefix>description-file F.
void DeclareFieldOptions(Options& options, const QString& prefix);

// Puts the texts the options give into info; true in changed when any was
// given. False, after saying why, when a text holds a character with no
// Windows-1252 byte or the description file cannot be read.
bool ApplyFieldOptions(Io& io, const Options& options, const QString& prefix, ModInfo& info, bool& changed);

}  // namespace cli
