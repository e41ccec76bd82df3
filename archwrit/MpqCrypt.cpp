#include "MpqCrypt.h"

#include <array>

namespace archwrit::crypt {

namespace {

// 0x500 words from the format's fixed seed: five rows of 256, one per hash
// kind and one for the cipher.
const std::array<uint32_t, 0x500>& cryptTable() {
  static const std::array<uint32_t, 0x500> table = [] {
    std::array<uint32_t, 0x500> t{};
    uint32_t seed = 0x00100001;
    for (uint32_t i = 0; i < 0x100; ++i) {
      for (uint32_t row = 0; row < 5; ++row) {
        seed = (seed * 125 + 3) % 0x2AAAAB;
        const uint32_t high = (seed & 0xFFFF) << 16;
        seed = (seed * 125 + 3) % 0x2AAAAB;
        t[row * 0x100 + i] = high | (seed & 0xFFFF);
      }
    }
    return t;
  }();
  return table;
}

uint32_t nextKey(uint32_t key) {
  return ((~key << 0x15) + 0x11111111) | (key >> 0x0B);
}

}  // namespace

uint32_t hashName(std::string_view name, mpq::Hash kind) {
  const auto& table = cryptTable();
  const uint32_t row = static_cast<uint32_t>(kind) * 0x100;
  uint32_t seed1 = 0x7FED7FED, seed2 = 0xEEEEEEEE;
  for (const char c : name) {
    uint32_t ch = static_cast<unsigned char>(c);
    if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    seed1 = table[row + ch] ^ (seed1 + seed2);
    seed2 = ch + seed1 + seed2 + (seed2 << 5) + 3;
  }
  return seed1;
}

uint32_t fileKey(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  return hashName(slash == std::string_view::npos ? name : name.substr(slash + 1), mpq::Hash::FileKey);
}

uint32_t fixedFileKey(uint32_t key, uint32_t pos, uint32_t size) {
  return (key + pos) ^ size;
}

void encryptBytes(uint8_t* bytes, size_t length, uint32_t key) {
  const auto& table = cryptTable();
  uint32_t seed = 0xEEEEEEEE;
  for (size_t at = 0; at + 4 <= length; at += 4) {
    seed += table[0x400 + (key & 0xFF)];
    const uint32_t plain = mpq::loadLe32(bytes + at);
    mpq::storeLe32(bytes + at, plain ^ (key + seed));
    key = nextKey(key);
    seed = plain + seed + (seed << 5) + 3;
  }
}

void decryptBytes(uint8_t* bytes, size_t length, uint32_t key) {
  const auto& table = cryptTable();
  uint32_t seed = 0xEEEEEEEE;
  for (size_t at = 0; at + 4 <= length; at += 4) {
    seed += table[0x400 + (key & 0xFF)];
    const uint32_t plain = mpq::loadLe32(bytes + at) ^ (key + seed);
    mpq::storeLe32(bytes + at, plain);
    key = nextKey(key);
    seed = plain + seed + (seed << 5) + 3;
  }
}

uint32_t hashTableKey() {
  static const uint32_t key = hashName("(hash table)", mpq::Hash::FileKey);
  return key;
}

uint32_t blockTableKey() {
  static const uint32_t key = hashName("(block table)", mpq::Hash::FileKey);
  return key;
}

}  // namespace archwrit::crypt
