// Where packing would put each entry an archive still uses, worked out from
// its tables (and the sector offset tables of entries keyed by their place)
// before a byte is copied, so that a pack that cannot pay off is never begun.
//
// Entries that cannot be moved stay at their place in the packed file: one
// encrypted with a key that depends on its place whose name nobody listed
// (its key cannot be made again elsewhere), one with sector checksums under
// such a key, one whose bytes do not lie wholly inside the file. The movable
// entries fill the room from the header on, around the ones that stay.
#pragma once

#include <cstdint>
#include <vector>

#include "EntryTable.h"

namespace archwrit {

class PackPlan {
 public:
  struct Move {
    uint32_t block;
    uint64_t from, to;
    uint32_t length;
    bool rekey;  // encrypted with a key that depends on its place
  };
  struct Region {
    uint64_t begin, end;
  };

  // The plan for the entries of table in the archive file fd.
  static PackPlan make(int fd, uint64_t headerOffset, uint32_t sectorSize, const EntryTable& table);

  // The same movable entries laid one after another from start on, and no
  // entry copied where it is: where they go when a pack inside the archive's
  // own file first puts them after its end.
  PackPlan appendedAt(uint64_t start) const;

  // Entries to copy, in the order of their new places.
  const std::vector<Move>& moves() const { return moves_; }
  // Bytes copied to the same place in the packed file (entries that stay).
  const std::vector<Region>& kept() const { return kept_; }
  // Where the entries end in the packed file: its tables go there.
  uint64_t entriesEnd() const { return entriesEnd_; }

 private:
  std::vector<Move> moves_;
  std::vector<Region> kept_;
  uint64_t entriesEnd_ = 0;
};

}  // namespace archwrit
