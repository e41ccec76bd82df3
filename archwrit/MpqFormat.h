// The parts of the MPQ archive format (version 1, the one the game reads)
// that the writer produces: the 32-byte header, hash and block table entries,
// entry flags and the fixed keys of the two tables.
#pragma once

#include <cstdint>

namespace archwrit::mpq {

constexpr uint32_t kSignature = 0x1A51504D;  // "MPQ\x1A"
constexpr uint32_t kHeaderSize = 32;
constexpr uint16_t kNewSectorShift = 3;  // 512 << 3: the 4096-byte sectors the game's archives use
constexpr uint32_t kTableEntrySize = 16;
// Largest hash table the format's readers accept.
constexpr uint32_t kMaxHashSize = 0x80000;
constexpr uint32_t kMinHashSize = 4;

// Block flags.
constexpr uint32_t kFileImplode = 0x00000100;
constexpr uint32_t kFileCompress = 0x00000200;
constexpr uint32_t kFileEncrypted = 0x00010000;
constexpr uint32_t kFileFixKey = 0x00020000;
constexpr uint32_t kFileSingleUnit = 0x01000000;
constexpr uint32_t kFileSectorCrc = 0x04000000;
constexpr uint32_t kFileExists = 0x80000000;

// The compression byte that leads every sector PKWARE DCL made smaller.
constexpr uint8_t kCompressionPkware = 0x08;

// Hash table slots that hold no entry: never used, and used by a removed entry.
constexpr uint32_t kSlotFree = 0xFFFFFFFF;
constexpr uint32_t kSlotDeleted = 0xFFFFFFFE;

// The kinds of name hash (the row of the crypt table they use).
enum class Hash : uint32_t { TableIndex = 0, NameA = 1, NameB = 2, FileKey = 3 };

struct Header {
  uint32_t archiveSize = 0;
  uint16_t sectorShift = kNewSectorShift;
  uint32_t hashTablePos = 0;  // tables and entries count from the header's offset
  uint32_t blockTablePos = 0;
  uint32_t hashTableSize = 0;  // entries
  uint32_t blockTableSize = 0;
};

struct HashEntry {
  uint32_t nameA = kSlotFree;
  uint32_t nameB = kSlotFree;
  uint16_t locale = 0xFFFF;
  uint16_t platform = 0xFFFF;
  uint32_t block = kSlotFree;
};

struct BlockEntry {
  uint32_t pos = 0;  // from the header
  uint32_t storedSize = 0;
  uint32_t size = 0;
  uint32_t flags = 0;
};

// Everything in the format is little-endian.
inline uint32_t loadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t loadLe16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
inline void storeLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void storeLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace archwrit::mpq
