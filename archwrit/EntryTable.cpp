#include "EntryTable.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <map>

#include "MpqCrypt.h"

namespace archwrit {

namespace {

// The hash table is kept at most three quarters full, so that a lookup of a
// name the archive does not hold soon reaches a free slot.
bool crowded(uint32_t occupied, size_t size) {
  return uint64_t(occupied) * 4 > uint64_t(size) * 3;
}

uint32_t tableSizeFor(uint64_t entries) {
  const uint64_t wanted = std::max<uint64_t>(entries, mpq::kMinHashSize);
  return uint32_t(std::min<uint64_t>(std::bit_ceil(wanted), mpq::kMaxHashSize));
}

bool isLibraryName(const std::string& name) {
  return name == "(listfile)" || name == "(attributes)" || name == "(signature)";
}

std::string lowered(const std::string& name) {
  std::string s = name;
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

EntryTable::EntryTable(uint32_t capacity) : hashes_(tableSizeFor(capacity)) {}

EntryTable::EntryTable(std::vector<mpq::HashEntry> hashes, const std::vector<mpq::BlockEntry>& blocks,
                       uint64_t headerOffset)
    : hashes_(std::move(hashes)) {
  for (const mpq::BlockEntry& b : blocks)
    blocks_.push_back({headerOffset + b.pos, b.storedSize, b.size, b.flags});
  for (const mpq::HashEntry& e : hashes_) occupied_ += e.block != mpq::kSlotFree;
}

EntryTable::NameHash EntryTable::hashOf(std::string_view name) {
  return {crypt::hashName(name, mpq::Hash::TableIndex), crypt::hashName(name, mpq::Hash::NameA),
          crypt::hashName(name, mpq::Hash::NameB)};
}

bool EntryTable::validBlock(uint32_t block) const {
  return block < blocks_.size() && (blocks_[block].flags & mpq::kFileExists);
}

std::vector<uint32_t> EntryTable::slotsOf(const NameHash& h) const {
  std::vector<uint32_t> slots;
  for (uint32_t n = 0, i = h.index & mask(); n < hashes_.size(); ++n, i = (i + 1) & mask()) {
    const mpq::HashEntry& e = hashes_[i];
    if (e.block == mpq::kSlotFree) break;
    if (e.nameA == h.a && e.nameB == h.b && live(e)) slots.push_back(i);
  }
  return slots;
}

void EntryTable::learnNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const NameHash h = hashOf(name);
    if (!names_.count(h.key()) && !slotsOf(h).empty()) names_.emplace(h.key(), name);
  }
}

bool EntryTable::contains(std::string_view name) const {
  return !slotsOf(hashOf(name)).empty();
}

bool EntryTable::put(const std::string& name, uint32_t block) {
  const NameHash h = hashOf(name);
  for (uint32_t slot : slotsOf(h)) {
    if (hashes_[slot].locale == 0) {
      hashes_[slot].block = block;
      names_[h.key()] = name;
      return true;
    }
  }
  if (!makeRoom(1)) return false;
  for (uint32_t i = h.index & mask();; i = (i + 1) & mask()) {
    mpq::HashEntry& e = hashes_[i];
    if (e.block != mpq::kSlotFree && e.block != mpq::kSlotDeleted) continue;
    occupied_ += e.block == mpq::kSlotFree;
    e = {h.a, h.b, 0, 0, block};
    break;
  }
  names_[h.key()] = name;
  return true;
}

bool EntryTable::erase(std::string_view name) {
  const NameHash h = hashOf(name);
  const std::vector<uint32_t> slots = slotsOf(h);
  for (uint32_t slot : slots)
    hashes_[slot] = {mpq::kSlotFree, mpq::kSlotFree, 0xFFFF, 0xFFFF, mpq::kSlotDeleted};
  names_.erase(h.key());
  return !slots.empty();
}

bool EntryTable::makeRoom(uint32_t names) {
  if (!crowded(occupied_ + names, hashes_.size())) return true;
  if (allNamesKnown()) {
    uint64_t liveEntries = 0;
    for (const mpq::HashEntry& e : hashes_) liveEntries += live(e);
    rebuild(std::max<uint32_t>(uint32_t(hashes_.size()), tableSizeFor((liveEntries + names) * 2)));
    if (!crowded(occupied_ + names, hashes_.size())) return true;
  }
  // A table that cannot grow any more still takes names while one slot stays free to end lookups.
  return uint64_t(occupied_) + names < hashes_.size();
}

bool EntryTable::allNamesKnown() const {
  return std::all_of(hashes_.begin(), hashes_.end(), [this](const mpq::HashEntry& e) {
    return !live(e) || names_.count(uint64_t(e.nameA) << 32 | e.nameB);
  });
}

// Puts every live entry into a new table of size slots, in the order of the
// old slots, leaving removed entries behind.
void EntryTable::rebuild(uint32_t size) {
  std::vector<mpq::HashEntry> old(size);
  old.swap(hashes_);
  occupied_ = 0;
  for (const mpq::HashEntry& e : old) {
    if (!live(e)) continue;
    const NameHash h = hashOf(names_.at(uint64_t(e.nameA) << 32 | e.nameB));
    uint32_t i = h.index & mask();
    while (hashes_[i].block != mpq::kSlotFree) i = (i + 1) & mask();
    hashes_[i] = e;
    ++occupied_;
  }
}

uint32_t EntryTable::addBlock(const Block& block) {
  blocks_.push_back(block);
  return uint32_t(blocks_.size() - 1);
}

std::vector<uint32_t> EntryTable::usedBlocks() const {
  std::vector<uint32_t> used;
  for (const mpq::HashEntry& e : hashes_)
    if (live(e)) used.push_back(e.block);
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  return used;
}

std::string EntryTable::nameOfBlock(uint32_t index) const {
  for (const mpq::HashEntry& e : hashes_) {
    if (e.block != index || !live(e)) continue;
    auto it = names_.find(uint64_t(e.nameA) << 32 | e.nameB);
    if (it != names_.end()) return it->second;
  }
  return {};
}

std::vector<std::string> EntryTable::listedNames() const {
  std::multimap<std::string, const std::string*> sorted;
  for (const auto& [key, name] : names_)
    if (!isLibraryName(name)) sorted.emplace(lowered(name), &name);
  std::vector<std::string> names;
  names.reserve(sorted.size());
  for (const auto& [low, name] : sorted) names.push_back(*name);
  return names;
}

EntryTable::Encoded EntryTable::encode(uint64_t headerOffset) const {
  Encoded out;
  const std::vector<uint32_t> used = usedBlocks();
  std::unordered_map<uint32_t, uint32_t> renumbered;
  for (uint32_t i = 0; i < used.size(); ++i) renumbered.emplace(used[i], i);

  out.hashEntries = uint32_t(hashes_.size());
  out.hashTable.resize(hashes_.size() * mpq::kTableEntrySize);
  for (size_t i = 0; i < hashes_.size(); ++i) {
    mpq::HashEntry e = hashes_[i];
    if (e.block != mpq::kSlotFree && !live(e)) {
      // Removed, or pointing at no block: kept as a removed slot, so that
      // lookups still walk past it to the entries behind.
      e = {mpq::kSlotFree, mpq::kSlotFree, 0xFFFF, 0xFFFF, mpq::kSlotDeleted};
    } else if (live(e)) {
      e.block = renumbered.at(e.block);
    }
    uint8_t* p = out.hashTable.data() + i * mpq::kTableEntrySize;
    mpq::storeLe32(p, e.nameA);
    mpq::storeLe32(p + 4, e.nameB);
    mpq::storeLe16(p + 8, e.locale);
    mpq::storeLe16(p + 10, e.platform);
    mpq::storeLe32(p + 12, e.block);
  }

  out.blockEntries = uint32_t(used.size());
  out.blockTable.resize(used.size() * mpq::kTableEntrySize);
  for (size_t i = 0; i < used.size(); ++i) {
    const Block& b = blocks_[used[i]];
    uint8_t* p = out.blockTable.data() + i * mpq::kTableEntrySize;
    mpq::storeLe32(p, uint32_t(b.pos - headerOffset));
    mpq::storeLe32(p + 4, b.storedSize);
    mpq::storeLe32(p + 8, b.size);
    mpq::storeLe32(p + 12, b.flags);
    out.storedBytes += b.storedSize;
  }
  crypt::encryptBytes(out.hashTable.data(), out.hashTable.size(), crypt::hashTableKey());
  crypt::encryptBytes(out.blockTable.data(), out.blockTable.size(), crypt::blockTableKey());
  return out;
}

}  // namespace archwrit
