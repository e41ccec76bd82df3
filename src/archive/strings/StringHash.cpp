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

// Tables[k][b]: the CRC register after the byte b and k zero bytes, from a
// zero register. Eight bytes are then folded in at once: the register's two
// bytes go into the first two, and the CRC is linear in its input.
using CrcTables = std::array<std::array<uint16_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (int b = 0; b < 256; ++b) {
    uint16_t crc = uint16_t(b << 8);
    for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    tables[0][size_t(b)] = crc;
  }
  for (size_t k = 1; k < tables.size(); ++k)
    for (size_t b = 0; b < 256; ++b) {
      const uint16_t prev = tables[k - 1][b];
      tables[k][b] = uint16_t((prev << 8) ^ tables[0][prev >> 8]);
    }
  return tables;
}

constexpr CrcTables kCrc = MakeCrcTables();

}  // namespace

uint16_t Crc16(QByteArrayView bytes) {
  uint16_t crc = 0xFFFF;
  const auto* p = reinterpret_cast<const uchar*>(bytes.data());
  qsizetype n = bytes.size();
  for (; n >= 8; n -= 8, p += 8)
    crc = uint16_t(kCrc[7][(crc >> 8) ^ p[0]] ^ kCrc[6][(crc & 0xFF) ^ p[1]] ^ kCrc[5][p[2]] ^ kCrc[4][p[3]] ^
                   kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]]);
  for (; n > 0; --n, ++p) crc = uint16_t((crc << 8) ^ kCrc[0][((crc >> 8) ^ *p) & 0xFF]);
  return crc;
}

}  // namespace stringhash
