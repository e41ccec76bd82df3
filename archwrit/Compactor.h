// Copies the entries an archive still uses to the places a PackPlan gives
// them: the movable ones to their new places (encrypted anew where their key
// depends on it), the others to the places they had when the copy goes to
// another file. Source and copy may be one file when the plan moves entries
// only into room that nothing uses.
#pragma once

#include <cstdint>

#include "EntryTable.h"
#include "PackPlan.h"

namespace archwrit {

// Copies the entries of table from the file from into the file to as plan
// says and moves their blocks there. False when a copy fails; the table is
// then only good for throwing away.
bool compactEntries(int from, int to, uint64_t headerOffset, uint32_t sectorSize, const PackPlan& plan,
                    EntryTable& table);

}  // namespace archwrit
