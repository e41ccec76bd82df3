#include "platform/MpqGuard.h"

#include "platform/ArchiveFile.h"
#include "platform/TrialDecode.h"

#include <bzlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace storm {
namespace {

constexpr uint32_t kMpqSignature = 0x1A51504D;       // "MPQ\x1A"
constexpr uint32_t kUserDataSignature = 0x1B51504D;  // "MPQ\x1B"
constexpr uint64_t kHeaderStep = 512;
constexpr uint64_t kFormat1HeaderSize = 32;
constexpr uint64_t kTableEntrySize = 16;
// 512 << 15 is 16 MiB. Larger shifts give sectors no writer makes, and from
// 23 on the library's 32-bit sector size overflows to 0.
constexpr uint32_t kMaxSectorShift = 15;

constexpr uint32_t kFileCompressMask = 0x0000FF00;
constexpr uint32_t kFileSingleUnit = 0x01000000;
constexpr uint32_t kFileSectorCrc = 0x04000000;
constexpr uint32_t kFilePatch = 0x00100000;
constexpr uint32_t kFileDeleteMarker = 0x02000000;
constexpr uint32_t kFileExists = 0x80000000;
constexpr uint32_t kFileEncrypted = 0x00010000;
constexpr uint32_t kFileCompress = 0x00000200;  // sectors led by a byte naming their compressions
constexpr uint32_t kCompressionBzip2 = 0x10;
// Huffman, sparse and the two ADPCM decoders: the library's Huffman decoder
// dereferences a null tree item on crafted data; these run in a trial child.
constexpr uint32_t kCompressionsOnTrial = 0x01 | 0x20 | 0x40 | 0x80;
constexpr uint32_t kCompressionSparse = 0x20;
constexpr uint32_t kCompressionsAdpcm = 0x40 | 0x80;  // mono, stereo
constexpr uint32_t kFileFixKey = 0x00020000;

uint32_t Le32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint16_t Le16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return uint16_t(b[0] | b[1] << 8);
}

// Reads exactly size bytes at offset; false on a short read or an error.
bool ReadAt(int fd, uint64_t offset, void* buffer, size_t size) {
  return ReadArchiveAt(fd, offset, buffer, size);
}

// The first 512-byte boundary holding either MPQ signature, scanning the file
// in large reads; nothing when none does.
std::optional<uint64_t> FindSignature(int fd, uint64_t fileSize, uint32_t* signature) {
  constexpr uint64_t kChunk = 1 << 20;
  std::vector<char> chunk(size_t(std::min(kChunk, fileSize)));
  for (uint64_t base = 0; base < fileSize; base += kChunk) {
    const uint64_t length = std::min(kChunk, fileSize - base);
    if (!ReadAt(fd, base, chunk.data(), size_t(length))) return std::nullopt;
    for (uint64_t at = 0; at + 4 <= length; at += kHeaderStep) {
      const uint32_t word = Le32(chunk.data() + at);
      if (word == kMpqSignature || word == kUserDataSignature) {
        *signature = word;
        return base + at;
      }
    }
  }
  return std::nullopt;
}

// The format's encryption: one table of 0x500 words, a name hash and the
// block cipher the library uses for tables and sector offsets.
const uint32_t* CryptTable() {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(0x500);
    uint32_t seed = 0x00100001;
    for (uint32_t i = 0; i < 0x100; ++i) {
      for (uint32_t j = 0, index = i; j < 5; ++j, index += 0x100) {
        seed = (seed * 125 + 3) % 0x2AAAAB;
        const uint32_t high = (seed & 0xFFFF) << 16;
        seed = (seed * 125 + 3) % 0x2AAAAB;
        t[index] = high | (seed & 0xFFFF);
      }
    }
    return t;
  }();
  return table.data();
}

constexpr uint32_t kHashFileKey = 3;

uint32_t HashString(const char* text, uint32_t type) {
  uint32_t seed1 = 0x7FED7FED, seed2 = 0xEEEEEEEE;
  for (; *text; ++text) {
    uint32_t ch = static_cast<unsigned char>(*text == '/' ? '\\' : *text);
    if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    seed1 = CryptTable()[type * 0x100 + ch] ^ (seed1 + seed2);
    seed2 = ch + seed1 + seed2 + (seed2 << 5) + 3;
  }
  return seed1;
}

void Decrypt(uint32_t* words, size_t count, uint32_t key) {
  uint32_t seed = 0xEEEEEEEE;
  for (size_t i = 0; i < count; ++i) {
    seed += CryptTable()[0x400 + (key & 0xFF)];
    words[i] ^= key + seed;
    key = ((~key << 0x15) + 0x11111111) | (key >> 0x0B);
    seed = words[i] + seed + (seed << 5) + 3;
  }
}

// An entry's key comes from the last part of its name.
uint32_t FileKey(const char* name, const MpqEntryFacts& entry) {
  const char* plain = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/') plain = p + 1;
  uint32_t key = HashString(plain, kHashFileKey);
  if (entry.flags & kFileFixKey) key = (key + uint32_t(entry.offset)) ^ entry.size;
  return key;
}

bool TableFits(uint64_t headerOffset, uint32_t position, uint32_t entries, uint64_t fileSize) {
  const uint64_t start = headerOffset + position;
  return start <= fileSize && uint64_t(entries) * kTableEntrySize <= fileSize - start;
}

}  // namespace

std::optional<MpqLayout> CheckArchiveFile(int fd) {
  uint64_t fileSize = 0;
  if (!RegularFileSize(fd, fileSize) || fileSize == 0) return std::nullopt;

  uint32_t signature = 0;
  const std::optional<uint64_t> at = FindSignature(fd, fileSize, &signature);
  // A user-data header sends the library to an offset the header itself
  // names; format 1 archives never carry one.
  if (!at || signature != kMpqSignature) return std::nullopt;
  if (fileSize - *at < kFormat1HeaderSize) return std::nullopt;

  unsigned char header[kFormat1HeaderSize];
  if (!ReadAt(fd, *at, header, sizeof header)) return std::nullopt;
  const uint32_t headerSize = Le32(header + 4);
  const uint16_t formatVersion = Le16(header + 12);
  const uint16_t sectorShift = Le16(header + 14);
  const uint32_t hashTablePos = Le32(header + 16);
  const uint32_t blockTablePos = Le32(header + 20);
  const uint32_t hashTableSize = Le32(header + 24);
  const uint32_t blockTableSize = Le32(header + 28);

  if (headerSize < kFormat1HeaderSize || sectorShift > kMaxSectorShift) return std::nullopt;
  // Lookups mask a name's hash with the table size less one.
  if (hashTableSize == 0 || (hashTableSize & (hashTableSize - 1)) != 0) return std::nullopt;
  if (!TableFits(*at, hashTablePos, hashTableSize, fileSize)) return std::nullopt;
  if (!TableFits(*at, blockTablePos, blockTableSize, fileSize)) return std::nullopt;

  MpqLayout layout;
  layout.headerOffset = *at;
  layout.fileSize = fileSize;
  layout.sectorSize = uint32_t(512) << sectorShift;
  layout.formatVersion = formatVersion;
  layout.hashTablePos = hashTablePos;
  layout.hashTableEntries = hashTableSize;
  layout.blockTablePos = blockTablePos;
  layout.blockTableEntries = blockTableSize;
  return layout;
}

namespace {

// A table of 16-byte entries as four words each, decrypted with the key its
// name gives; nothing when it cannot be read.
std::optional<std::vector<uint32_t>> ReadTable(int fd, const MpqLayout& layout, uint32_t position,
                                               uint32_t entries, const char* name) {
  std::vector<uint32_t> words(size_t(entries) * 4);
  if (!words.empty() && !ReadAt(fd, layout.headerOffset + position, words.data(), words.size() * 4))
    return std::nullopt;
  for (uint32_t& word : words) word = Le32(&word);
  Decrypt(words.data(), words.size(), HashString(name, kHashFileKey));
  return words;
}

}  // namespace

bool TablesHoldTogether(int fd, const MpqLayout& layout) {
  constexpr uint32_t kSlotEmpty = 0xFFFFFFFF, kSlotDeleted = 0xFFFFFFFE;
  const auto hashes = ReadTable(fd, layout, layout.hashTablePos, layout.hashTableEntries, "(hash table)");
  const auto blocks = ReadTable(fd, layout, layout.blockTablePos, layout.blockTableEntries, "(block table)");
  if (!hashes || !blocks) return false;
  bool used = false, anyFits = false;
  for (size_t slot = 0; slot < hashes->size(); slot += 4) {
    const uint32_t block = (*hashes)[slot + 3];
    if (block == kSlotEmpty || block == kSlotDeleted) continue;
    if (block >= layout.blockTableEntries) return false;
    used = true;
    if (anyFits) continue;
    const uint32_t* b = blocks->data() + size_t(block) * 4;
    const uint64_t start = layout.headerOffset + b[0];
    anyFits = (b[3] & kFileExists) && start <= layout.fileSize && b[1] <= layout.fileSize - start;
  }
  return !used || anyFits;
}

bool EntryFits(const MpqLayout& layout, const MpqEntryFacts& entry) {
  if (!(entry.flags & kFileExists) || (entry.flags & (kFilePatch | kFileDeleteMarker))) return false;
  if (entry.size > uint32_t(INT32_MAX)) return false;
  const uint64_t start = layout.headerOffset + entry.offset;
  if (start > layout.fileSize || entry.storedSize > layout.fileSize - start) return false;
  if (entry.size == 0) return true;

  const bool compressed = entry.flags & kFileCompressMask;
  // Read in one piece, an entry's stored bytes go into a buffer of its size.
  if (!compressed) return (entry.flags & kFileSingleUnit) ? entry.size == entry.storedSize : entry.size <= entry.storedSize;
  if (entry.flags & kFileSingleUnit) return true;
  // Sector-wise: an offset per sector and one for the end (and one more for
  // the checksums) stand before the data, inside the stored bytes.
  const uint64_t sectors = (uint64_t(entry.size) + layout.sectorSize - 1) / layout.sectorSize;
  const uint64_t tableBytes = (sectors + 1 + ((entry.flags & kFileSectorCrc) ? 1 : 0)) * 4;
  return tableBytes <= entry.storedSize;
}

namespace {

// The sector offset table of an entry stored in compressed sectors, decrypted,
// when it is exactly as long as the sector count needs and its sectors follow
// each other, are each no larger than a sector and end inside the stored bytes.
std::optional<std::vector<uint32_t>> ReadSectorTable(int fd, const MpqLayout& layout, const MpqEntryFacts& entry,
                                                     const char* name) {
  // EntryFits has bounded the table by the stored bytes, and those by the file.
  const uint64_t sectors = (uint64_t(entry.size) + layout.sectorSize - 1) / layout.sectorSize;
  const size_t words = size_t(sectors + 1 + ((entry.flags & kFileSectorCrc) ? 1 : 0));
  std::vector<uint32_t> table(words);
  if (!ReadAt(fd, layout.headerOffset + entry.offset, table.data(), words * 4)) return std::nullopt;
  for (uint32_t& word : table) word = Le32(&word);
  // The table is encrypted with the key less one.
  if (entry.flags & kFileEncrypted) Decrypt(table.data(), table.size(), FileKey(name, entry) - 1);
  if (table[0] != words * 4) return std::nullopt;
  for (size_t i = 0; i + 1 < words; ++i) {
    if (table[i + 1] < table[i] || table[i + 1] > entry.storedSize) return std::nullopt;
    if (i < sectors && table[i + 1] - table[i] > layout.sectorSize) return std::nullopt;
  }
  // The checksums after the last sector: the library reads their stored
  // bytes into a buffer of one word per sector.
  if ((entry.flags & kFileSectorCrc) && table[sectors + 1] - table[sectors] > sectors * 4) return std::nullopt;
  return table;
}

// True when the bzip2 stream in (after the sector's compression byte) ends
// within out bytes of output.
bool BzipStreamEnds(std::vector<char>& in, uint32_t out) {
  std::vector<char> decoded(std::max<uint32_t>(out, 1));
  unsigned int length = out;
  return BZ2_bzBuffToBuffDecompress(decoded.data(), &length, in.data() + 1, unsigned(in.size() - 1), 0, 0) == BZ_OK;
}

}  // namespace

bool EntryDecodesSafely(int fd, const MpqLayout& layout, const MpqEntryFacts& entry, const char* name,
                        std::vector<uint32_t>* unset) {
  if (!(entry.flags & kFileCompressMask) || entry.size == 0) return true;
  struct Sector {
    uint32_t begin, end, size;  // stored from begin to end; size bytes once decoded
  };
  std::vector<Sector> sectors;
  if (entry.flags & kFileSingleUnit) {
    sectors.push_back({0, entry.storedSize, entry.size});
  } else {
    const std::optional<std::vector<uint32_t>> table = ReadSectorTable(fd, layout, entry, name);
    if (!table) return false;
    const uint32_t count = uint32_t((uint64_t(entry.size) + layout.sectorSize - 1) / layout.sectorSize);
    for (uint32_t i = 0; i < count; ++i)
      sectors.push_back({(*table)[i], (*table)[i + 1], std::min(layout.sectorSize, entry.size - i * layout.sectorSize)});
  }
  // Imploded entries carry no compression byte: one decoder, none on trial.
  if (!(entry.flags & kFileCompress)) return true;
  const uint32_t key = (entry.flags & kFileEncrypted) ? FileKey(name, entry) : 0;
  const uint64_t start = layout.headerOffset + entry.offset;
  std::vector<TrialSector> trial;
  for (uint32_t i = 0; i < sectors.size(); ++i) {
    const Sector& sector = sectors[i];
    const uint32_t stored = sector.end - sector.begin;
    // A sector that did not shrink is stored as it is, without a compression byte.
    if (stored == 0 || stored >= sector.size) continue;
    // Each sector is encrypted on its own, with the key plus its index; the
    // compression byte is the first of the first word.
    uint32_t first = 0;
    const size_t firstBytes = std::min<size_t>(4, stored);
    if (!ReadAt(fd, start + sector.begin, &first, firstBytes)) return false;
    if (firstBytes == 4 && (entry.flags & kFileEncrypted)) {
      first = Le32(&first);
      Decrypt(&first, 1, key + i);
    } else {
      first = Le32(&first);
    }
    // Sparse coding, applied after ADPCM, writes every byte itself.
    if (unset && (first & kCompressionsAdpcm) && !(first & kCompressionSparse) && (sector.size & 1))
      unset->push_back(i * layout.sectorSize + sector.size - 1);
    if (!(first & (kCompressionBzip2 | kCompressionsOnTrial))) continue;
    std::vector<char> bytes(stored);
    if (!ReadAt(fd, start + sector.begin, bytes.data(), stored)) return false;
    if (entry.flags & kFileEncrypted) {
      std::vector<uint32_t> words(stored / 4);
      for (size_t w = 0; w < words.size(); ++w) words[w] = Le32(bytes.data() + 4 * w);
      Decrypt(words.data(), words.size(), key + i);
      for (size_t w = 0; w < words.size(); ++w)
        for (int b = 0; b < 4; ++b) bytes[4 * w + size_t(b)] = char(words[w] >> (8 * b));
    }
    if ((first & kCompressionBzip2) && !BzipStreamEnds(bytes, sector.size)) return false;
    if (first & kCompressionsOnTrial) trial.push_back(TrialSector{std::move(bytes), sector.size});
  }
  return TrialDecodeSurvives(trial);
}

}  // namespace storm
