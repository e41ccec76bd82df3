// Packs the entries an archive still uses into a new file as a PackPlan
// lays them out: what lies before the header is kept, room is left for the
// header, the movable entries go to their new places and the others are
// copied to the places they had.
#pragma once

#include <cstdint>

#include "EntryTable.h"
#include "PackPlan.h"

namespace archwrit {

// Copies the entries of table from the file from into the empty file to as
// plan says and moves their blocks there. False when a copy fails; the table
// is then only good for throwing away.
bool compactEntries(int from, int to, uint64_t headerOffset, uint32_t sectorSize, const PackPlan& plan,
                    EntryTable& table);

}  // namespace archwrit
