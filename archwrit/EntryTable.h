// The directory of an archive under update: its hash table as the format
// stores it, the blocks its entries use, and the names that are known.
//
// Entries of an existing archive whose names nobody listed stay where they
// are: the hash table is changed slot by slot, and only rebuilt (to grow it
// or clear out removed entries) when every entry's name is known.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "MpqFormat.h"

namespace archwrit {

class EntryTable {
 public:
  struct Block {
    uint64_t pos = 0;  // in the file
    uint32_t storedSize = 0;
    uint32_t size = 0;
    uint32_t flags = 0;
  };

  // The tables as they go into the file, encrypted; blocks no entry uses are left out.
  struct Encoded {
    std::vector<uint8_t> hashTable, blockTable;
    uint32_t hashEntries = 0, blockEntries = 0;
    uint64_t storedBytes = 0;  // of the blocks that entries use
  };

  // An empty directory with room for at least capacity entries.
  explicit EntryTable(uint32_t capacity = mpq::kMinHashSize);
  // The directory of an existing archive from its decrypted tables; block
  // positions count from headerOffset in the file.
  EntryTable(std::vector<mpq::HashEntry> hashes, const std::vector<mpq::BlockEntry>& blocks,
             uint64_t headerOffset);

  // Takes the spelling of every name in names that an entry answers to
  // (the first spelling of a name wins).
  void learnNames(const std::vector<std::string>& names);

  bool contains(std::string_view name) const;
  // Makes name (locale neutral) the entry of block, replacing an entry of
  // that name in any letter case; the name then takes this spelling. False
  // when there is no room left for a new name.
  bool put(const std::string& name, uint32_t block);
  // Removes every entry of that name, in every locale; false when there is none.
  bool erase(std::string_view name);
  // Whether that many more names fit, growing the hash table when it must.
  bool makeRoom(uint32_t names);

  uint32_t addBlock(const Block& block);
  Block& block(uint32_t index) { return blocks_[index]; }
  const Block& block(uint32_t index) const { return blocks_[index]; }
  // Indices of the blocks that entries use, and the name the first such entry is known by ("" when none).
  std::vector<uint32_t> usedBlocks() const;
  std::string nameOfBlock(uint32_t index) const;

  // The known names of the entries, without the library's own, sorted as
  // the archive library sorts "(listfile)": by bytes, letter case aside.
  std::vector<std::string> listedNames() const;

  Encoded encode(uint64_t headerOffset) const;

 private:
  struct NameHash {
    uint32_t index, a, b;
    uint64_t key() const { return uint64_t(a) << 32 | b; }
  };
  static NameHash hashOf(std::string_view name);
  bool validBlock(uint32_t block) const;
  bool live(const mpq::HashEntry& e) const { return validBlock(e.block); }
  uint32_t mask() const { return uint32_t(hashes_.size() - 1); }
  // Slots on the name's probe chain that hold one of its entries.
  std::vector<uint32_t> slotsOf(const NameHash& h) const;
  bool allNamesKnown() const;
  void rebuild(uint32_t size);

  std::vector<mpq::HashEntry> hashes_;
  std::vector<Block> blocks_;
  std::unordered_map<uint64_t, std::string> names_;  // by the two name hashes
  uint32_t occupied_ = 0;                            // slots that are not free (live or removed)
};

}  // namespace archwrit
