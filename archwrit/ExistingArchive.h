// What an update needs to know of an archive that is already there: where
// its header is, its directory, and the names its "(listfile)" gives.
#pragma once

#include <optional>
#include <string>

#include "EntryTable.h"
#include "MpqFormat.h"
#include "platform/MpqGuard.h"

namespace archwrit {

struct ExistingArchive {
  storm::MpqLayout layout;
  mpq::Header header;
  EntryTable table;
  bool hasListfile = false;
};

// Reads the archive open at fd (path names the same file): a format 1
// archive that passes the reader's checks, its tables, and the names its
// "(listfile)" gives. Nothing when it is not such an archive, or when its
// "(listfile)" is there but cannot be read.
std::optional<ExistingArchive> readExistingArchive(int fd, const std::string& path);

}  // namespace archwrit
