// The format's name hashing and its block cipher: names find their slot in
// the hash table and give an entry its encryption key; tables, sector offset
// tables and sectors are encrypted in little-endian 32-bit words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MpqFormat.h"

namespace archwrit::crypt {

// The name's hash of the given kind. ASCII letter case does not count; '/'
// and '\' stay different characters, as the archive library and the game
// look names up.
uint32_t hashName(std::string_view name, mpq::Hash kind);

// The key an entry is encrypted with: the hash of its name's last part
// (after the last '\' or '/'), independent of where the entry is stored.
uint32_t fileKey(std::string_view name);
// The key of an entry whose key also depends on its place (the fixed-key flag).
uint32_t fixedFileKey(uint32_t key, uint32_t pos, uint32_t size);

// Every whole little-endian word of bytes[0, length) is enciphered in place;
// the last length % 4 bytes stay as they are.
void encryptBytes(uint8_t* bytes, size_t length, uint32_t key);
void decryptBytes(uint8_t* bytes, size_t length, uint32_t key);

// The keys the hash and block tables are encrypted with.
uint32_t hashTableKey();
uint32_t blockTableKey();

}  // namespace archwrit::crypt
