#include "Compactor.h"

#include <algorithm>
#include <vector>

#include "MpqCrypt.h"
#include "FileLayer.h"

namespace archwrit {

namespace {

// Re-encrypts an entry whose key depends on its place (from the key at its
// old place to the one at its new place): its sector offset table when it
// has one, and each sector with the key plus the sector's index.
bool rekey(std::vector<uint8_t>& data, const EntryTable::Block& b, uint32_t from, uint32_t to,
           uint32_t sectorSize) {
  auto recrypt = [&data](size_t begin, size_t end, uint32_t oldKey, uint32_t newKey) {
    crypt::decryptBytes(data.data() + begin, end - begin, oldKey);
    crypt::encryptBytes(data.data() + begin, end - begin, newKey);
  };
  if (b.flags & mpq::kFileSingleUnit) {
    recrypt(0, data.size(), from, to);
    return true;
  }
  const uint32_t sectors = uint32_t((uint64_t(b.size) + sectorSize - 1) / sectorSize);
  if (!(b.flags & (mpq::kFileCompress | mpq::kFileImplode))) {
    for (uint32_t i = 0; uint64_t(i) * sectorSize < data.size(); ++i) {
      const size_t begin = size_t(i) * sectorSize;
      recrypt(begin, std::min(data.size(), begin + sectorSize), from + i, to + i);
    }
    return true;
  }
  const size_t tableBytes = (size_t(sectors) + 1) * 4;
  if ((b.flags & mpq::kFileSectorCrc) || data.size() < tableBytes) return false;
  crypt::decryptBytes(data.data(), tableBytes, from - 1);
  std::vector<uint32_t> offsets(sectors + 1);
  for (uint32_t i = 0; i <= sectors; ++i) offsets[i] = mpq::loadLe32(data.data() + 4 * i);
  for (uint32_t i = 0; i < sectors; ++i) {
    if (offsets[i] < tableBytes || offsets[i] > offsets[i + 1] || offsets[i + 1] > data.size()) return false;
    recrypt(offsets[i], offsets[i + 1], from + i, to + i);
  }
  crypt::encryptBytes(data.data(), tableBytes, to - 1);
  return true;
}

}  // namespace

bool compactEntries(int from, int to, uint64_t headerOffset, uint32_t sectorSize, const PackPlan& plan,
                    EntryTable& table) {
  for (const PackPlan::Region& r : plan.kept()) {
    if (from != to && !copyRange(from, r.begin, to, r.begin, r.end - r.begin)) return false;
  }
  // Entries that lie one after the other, both here and there, are copied in one go.
  uint64_t runFrom = 0, runTo = 0, runLength = 0;
  auto flush = [&] { return runLength == 0 || copyRange(from, runFrom, to, runTo, runLength); };
  for (const PackPlan::Move& m : plan.moves()) {
    EntryTable::Block& b = table.block(m.block);
    if (m.rekey) {
      if (!flush()) return false;
      runLength = 0;
      std::vector<uint8_t> data(m.length);
      const uint32_t key = crypt::fileKey(table.nameOfBlock(m.block));
      if (!readAllAt(from, data.data(), data.size(), m.from) ||
          !rekey(data, b, crypt::fixedFileKey(key, uint32_t(m.from - headerOffset), b.size),
                 crypt::fixedFileKey(key, uint32_t(m.to - headerOffset), b.size), sectorSize) ||
          !writeAllAt(to, data.data(), data.size(), m.to))
        return false;
    } else if (runLength > 0 && m.from == runFrom + runLength && m.to == runTo + runLength) {
      runLength += m.length;
    } else {
      if (!flush()) return false;
      runFrom = m.from;
      runTo = m.to;
      runLength = m.length;
    }
    b.pos = m.to;
  }
  return flush();
}

}  // namespace archwrit
