// Packs the entries an archive still uses into a new file: what lies before
// the header is kept, room is left for the header, and the entries follow
// one another in the order they had in the file.
#pragma once

#include <cstdint>
#include <optional>

#include "EntryTable.h"

namespace archwrit {

// Copies the entries of table from the file from into the empty file to and
// moves their blocks there. Returns where the entries end; nothing when a
// copy fails or an entry cannot be moved (its key depends on its place and
// its name is not known). The table is then only good for throwing away.
std::optional<uint64_t> compactEntries(int from, int to, uint64_t headerOffset, uint32_t sectorSize,
                                       EntryTable& table);

}  // namespace archwrit
