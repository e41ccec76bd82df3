#pragma once
// Checks an archive file before the archive library is let near it. The
// library trusts the sizes and offsets an MPQ file states about itself and
// reads (or decrypts in place) whatever they say; a downloaded file can state
// anything. The guard reads the header the way the library looks for it and
// refuses a file whose header or tables do not lie inside the file, and an
// entry whose stored bytes cannot lie inside it. Archives are read as MPQ
// format 1, the only format the game's own library reads, whatever version
// their header states.
#include <cstdint>
#include <optional>
#include <vector>

namespace storm {

// What the guard learnt about an archive that passed.
struct MpqLayout {
  uint64_t headerOffset = 0;  // where the header starts; tables and entries count from here
  uint64_t fileSize = 0;
  uint32_t sectorSize = 0;
  uint16_t formatVersion = 0;  // as the header states it; 0 is format 1
  // Where the tables stand (from the header) and how many entries each has.
  uint32_t hashTablePos = 0, hashTableEntries = 0;
  uint32_t blockTablePos = 0, blockTableEntries = 0;
};

// The header found at the first 512-byte boundary that carries an MPQ
// signature, checked against the file's size: a header of at least 32 bytes,
// sectors of at most 16 MiB, a hash table whose size is a power of two, and
// both tables wholly inside the file. Nothing when the file cannot be read,
// holds no MPQ header, starts with a user-data header, or fails any check.
std::optional<MpqLayout> CheckArchiveFile(int fd);

// Whether the archive's tables, decrypted, hold together: every used slot of
// the hash table points into the block table, and when any slot is used, at
// least one of the blocks they point to is an entry that lies inside the
// file. A table overwritten by a bad download or disk fails this; the archive
// library opens such a file and finds nothing in it.
bool TablesHoldTogether(int fd, const MpqLayout& layout);

// What the archive library reports about one entry it has found.
struct MpqEntryFacts {
  uint64_t offset = 0;  // from the header
  uint32_t storedSize = 0;
  uint32_t size = 0;
  uint32_t flags = 0;
};

// True when the entry's stored bytes lie inside the file, an uncompressed
// entry is no larger than what is stored, a compressed entry's sector table
// fits in what is stored, its size fits a signed 32-bit count, and it carries
// only the flags of an ordinary entry (no patch data, no deletion marker);
// one stored in one piece without compression stores exactly its size.
bool EntryFits(const MpqLayout& layout, const MpqEntryFacts& entry);

// For a compressed entry, checked before the library decodes any of it:
// - stored in sectors: reads (and, when the entry is encrypted, decrypts with
//   the key its name gives) the sector offset table and checks that it is
//   exactly as long as the sector count needs, that the sectors follow each
//   other, are each no larger than a sector and end inside the stored bytes,
//   and that the sector checksums (when the entry has them) take no more than
//   a word per sector. The archive library takes a table with a larger first
//   offset as a longer table and reads past the buffer it allocated for it.
// - a bzip2 sector's stream must end within the sector's size (not cut short,
//   not decoding to more): the library's bzip2 step loops until the stream
//   ends, so such a sector would never return.
// - sectors using Huffman, sparse or ADPCM coding must decode in a trial child
//   process (see TrialDecode.h).
// Reads the table once, the first word of every compressed sector and the
// whole of each bzip2 or trial one. True for every uncompressed entry.
//
// unset, when given, receives the positions in the entry of bytes the
// library's decoder leaves as its buffer held them: the ADPCM decoders write
// whole 16-bit samples, so a sector of odd size coded so (the last of a
// sound, or a sound stored in one piece) never gets its last byte.
bool EntryDecodesSafely(int fd, const MpqLayout& layout, const MpqEntryFacts& entry, const char* name,
                        std::vector<uint32_t>* unset = nullptr);

}  // namespace storm
