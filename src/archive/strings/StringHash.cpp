#include "StringHash.h"

#include <array>

namespace stringhash {

uint32_t KeyHash(QByteArrayView key) {
  uint32_t h = 0;
  for (const char c : key) {
    h = (h << 4) + uint8_t(c);
    if (const uint32_t top = h & 0xF0000000u) {
      h ^= top >> 24;
      h &= 0x0FFFFFFFu;
    }
  }
  return h;
}

namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    uint16_t crc = uint16_t(b << 8);
    for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    table[size_t(b)] = crc;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint16_t Crc16(QByteArrayView bytes) {
  uint16_t crc = 0xFFFF;
  for (const char c : bytes) crc = uint16_t((crc << 8) ^ kCrcTable[((crc >> 8) ^ uint8_t(c)) & 0xFF]);
  return crc;
}

}  // namespace stringhash
