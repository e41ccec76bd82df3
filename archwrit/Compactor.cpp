#include "Compactor.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "MpqCrypt.h"
#include "PosixFile.h"

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

std::optional<uint64_t> compactEntries(int from, int to, uint64_t headerOffset, uint32_t sectorSize,
                                       EntryTable& table) {
  struct stat st;
  if (::fstat(from, &st) != 0) return std::nullopt;
  const uint64_t fileSize = uint64_t(st.st_size);
  if (headerOffset > 0 && !copyRange(from, 0, to, 0, headerOffset)) return std::nullopt;

  std::vector<uint32_t> order = table.usedBlocks();
  std::stable_sort(order.begin(), order.end(),
                   [&table](uint32_t a, uint32_t b) { return table.block(a).pos < table.block(b).pos; });
  uint64_t cursor = headerOffset + mpq::kHeaderSize;
  // Entries that lie one after the other are copied in one go.
  uint64_t runFrom = 0, runTo = cursor, runLength = 0;
  for (uint32_t index : order) {
    EntryTable::Block& b = table.block(index);
    if (b.pos < headerOffset || b.pos > fileSize || b.storedSize > fileSize - b.pos) return std::nullopt;
    const bool placeKeyed =
        (b.flags & mpq::kFileEncrypted) && (b.flags & mpq::kFileFixKey) && b.storedSize > 0;
    if (placeKeyed || b.pos != runFrom + runLength) {
      if (runLength > 0 && !copyRange(from, runFrom, to, runTo, runLength)) return std::nullopt;
      runFrom = b.pos;
      runTo = cursor;
      runLength = 0;
    }
    if (placeKeyed) {
      const std::string name = table.nameOfBlock(index);
      if (name.empty()) return std::nullopt;
      std::vector<uint8_t> data(b.storedSize);
      const uint32_t key = crypt::fileKey(name);
      if (!readAllAt(from, data.data(), data.size(), b.pos) ||
          !rekey(data, b, crypt::fixedFileKey(key, uint32_t(b.pos - headerOffset), b.size),
                 crypt::fixedFileKey(key, uint32_t(cursor - headerOffset), b.size), sectorSize) ||
          !writeAllAt(to, data.data(), data.size(), cursor))
        return std::nullopt;
      runFrom = b.pos + b.storedSize;
      runTo = cursor + b.storedSize;
    } else {
      runLength += b.storedSize;
    }
    b.pos = cursor;
    cursor += b.storedSize;
  }
  if (runLength > 0 && !copyRange(from, runFrom, to, runTo, runLength)) return std::nullopt;
  return cursor;
}

}  // namespace archwrit
