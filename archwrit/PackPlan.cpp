#include "PackPlan.h"

#include <sys/stat.h>

#include <algorithm>

#include "MpqCrypt.h"
#include "FileLayer.h"

namespace archwrit {

namespace {

// Past this many entries times places to fill, the gaps before entries that
// stay are left empty rather than searched for an entry that fits.
constexpr uint64_t kMaxGapSearch = uint64_t(1) << 22;

bool placeKeyed(const EntryTable::Block& b) {
  return (b.flags & mpq::kFileEncrypted) && (b.flags & mpq::kFileFixKey) && b.storedSize > 0;
}

// Whether an entry keyed by its place can be encrypted anew for another
// place: its name must give the key, and a sector offset table must read
// back sound with it (the copy re-encrypts each sector by its bounds).
bool rekeyable(int fd, const EntryTable::Block& b, const std::string& name, uint64_t headerOffset,
               uint32_t sectorSize) {
  if (name.empty()) return false;
  if ((b.flags & mpq::kFileSingleUnit) || !(b.flags & (mpq::kFileCompress | mpq::kFileImplode))) return true;
  if (b.flags & mpq::kFileSectorCrc) return false;
  const uint32_t sectors = uint32_t((uint64_t(b.size) + sectorSize - 1) / sectorSize);
  const size_t tableBytes = (size_t(sectors) + 1) * 4;
  if (b.storedSize < tableBytes) return false;
  std::vector<uint8_t> table(tableBytes);
  if (!readAllAt(fd, table.data(), table.size(), b.pos)) return false;
  const uint32_t key = crypt::fixedFileKey(crypt::fileKey(name), uint32_t(b.pos - headerOffset), b.size);
  crypt::decryptBytes(table.data(), table.size(), key - 1);
  uint32_t previous = uint32_t(tableBytes);
  for (uint32_t i = 0; i <= sectors; ++i) {
    const uint32_t offset = mpq::loadLe32(table.data() + 4 * i);
    if (offset < previous || offset > b.storedSize) return false;
    previous = offset;
  }
  return true;
}

}  // namespace

std::optional<PackPlan> PackPlan::make(int fd, uint64_t headerOffset, uint32_t sectorSize,
                                       const EntryTable& table) {
  PackPlan plan;
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_size < 0) return std::nullopt;
  const uint64_t fileSize = uint64_t(st.st_size);
  const uint64_t dataStart = headerOffset + mpq::kHeaderSize;

  std::vector<uint32_t> movable;
  for (uint32_t index : table.usedBlocks()) {
    const EntryTable::Block& b = table.block(index);
    const bool inside = b.pos >= dataStart && b.pos <= fileSize && b.storedSize <= fileSize - b.pos;
    if (inside && (!placeKeyed(b) || rekeyable(fd, b, table.nameOfBlock(index), headerOffset, sectorSize))) {
      movable.push_back(index);
      continue;
    }
    // Stays: whatever of it lies in the file after the header is copied as it is.
    const uint64_t begin = std::max(b.pos, dataStart);
    const uint64_t end = std::min(b.pos + b.storedSize, fileSize);
    if (begin < end) plan.kept_.push_back({begin, end});
  }

  // Entries that stay may share or overlap their bytes: one region each.
  std::sort(plan.kept_.begin(), plan.kept_.end(),
            [](const Region& a, const Region& b) { return a.begin < b.begin; });
  std::vector<Region> merged;
  for (const Region& r : plan.kept_) {
    if (!merged.empty() && r.begin <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, r.end);
    } else {
      merged.push_back(r);
    }
  }
  plan.kept_ = std::move(merged);

  std::stable_sort(movable.begin(), movable.end(),
                   [&table](uint32_t a, uint32_t b) { return table.block(a).pos < table.block(b).pos; });
  std::vector<bool> placed(movable.size(), false);
  uint64_t cursor = dataStart;
  auto place = [&](size_t i) {
    const EntryTable::Block& b = table.block(movable[i]);
    plan.moves_.push_back({movable[i], b.pos, cursor, b.storedSize, placeKeyed(b)});
    cursor += b.storedSize;
    placed[i] = true;
  };
  // Each gap before an entry that stays takes, in file order, the movable entries that still fit in it.
  const bool searchGaps = uint64_t(plan.kept_.size()) * movable.size() <= kMaxGapSearch;
  for (const Region& stay : plan.kept_) {
    for (size_t i = 0; searchGaps && i < movable.size() && cursor < stay.begin; ++i) {
      if (!placed[i] && table.block(movable[i]).storedSize <= stay.begin - cursor) place(i);
    }
    cursor = std::max(cursor, stay.end);
  }
  for (size_t i = 0; i < movable.size(); ++i) {
    if (!placed[i]) place(i);
  }
  plan.entriesEnd_ = cursor;
  return plan;
}

PackPlan PackPlan::appendedAt(uint64_t start) const {
  PackPlan tail;
  uint64_t cursor = start;
  for (const Move& m : moves_) {
    tail.moves_.push_back({m.block, m.from, cursor, m.length, m.rekey});
    cursor += m.length;
  }
  tail.entriesEnd_ = cursor;
  return tail;
}

}  // namespace archwrit
