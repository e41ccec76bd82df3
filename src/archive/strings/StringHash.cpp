#include "StringHash.h"

#include <algorithm>
#include <array>

namespace stringhash {

namespace {

// One byte shifted in. The top nibble is folded into bits 4..7 and cleared
// without a branch: when it is zero both steps change nothing.
inline uint32_t HashStep(uint32_t h, uchar c) {
  h = (h << 4) + c;
  h ^= (h >> 24) & 0xF0u;
  return h & 0x0FFFFFFFu;
}

inline uint32_t HashFrom(uint32_t h, const uchar* p, qsizetype n) {
  for (qsizetype i = 0; i < n; ++i) h = HashStep(h, p[i]);
  return h;
}

}  // namespace

uint32_t KeyHash(QByteArrayView key) {
  return HashFrom(0, reinterpret_cast<const uchar*>(key.data()), key.size());
}

void KeyHashes(size_t count, const std::function<QByteArrayView(size_t)>& keys, uint32_t modulo,
               uint32_t* out) {
  // A key's bytes each wait on the one before: four keys stepped together
  // keep the processor busy while each waits. Keys in a table run to
  // similar lengths, so most bytes are stepped in step.
  constexpr size_t kLanes = 4;
  size_t i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    const uchar* p[kLanes];
    qsizetype n[kLanes];
    uint32_t h[kLanes] = {};
    for (size_t l = 0; l < kLanes; ++l) {
      const QByteArrayView key = keys(i + l);
      p[l] = reinterpret_cast<const uchar*>(key.data());
      n[l] = key.size();
    }
    const qsizetype common = std::min(std::min(n[0], n[1]), std::min(n[2], n[3]));
    for (qsizetype j = 0; j < common; ++j) {
      h[0] = HashStep(h[0], p[0][j]);
      h[1] = HashStep(h[1], p[1][j]);
      h[2] = HashStep(h[2], p[2][j]);
      h[3] = HashStep(h[3], p[3][j]);
    }
    for (size_t l = 0; l < kLanes; ++l) out[i + l] = HashFrom(h[l], p[l] + common, n[l] - common) % modulo;
  }
  for (; i < count; ++i) out[i] = KeyHash(keys(i)) % modulo;
}

namespace {

// Tables[k][b]: the CRC register after the byte b and k zero bytes, from a
// zero register. Sixteen bytes are then folded in at once: the register's
// two bytes go into the first two, and the CRC is linear in its input.
using CrcTables = std::array<std::array<uint16_t, 256>, 16>;

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
  for (; n >= 16; n -= 16, p += 16)
    crc = uint16_t(kCrc[15][(crc >> 8) ^ p[0]] ^ kCrc[14][(crc & 0xFF) ^ p[1]] ^ kCrc[13][p[2]] ^
                   kCrc[12][p[3]] ^ kCrc[11][p[4]] ^ kCrc[10][p[5]] ^ kCrc[9][p[6]] ^ kCrc[8][p[7]] ^
                   kCrc[7][p[8]] ^ kCrc[6][p[9]] ^ kCrc[5][p[10]] ^ kCrc[4][p[11]] ^ kCrc[3][p[12]] ^
                   kCrc[2][p[13]] ^ kCrc[1][p[14]] ^ kCrc[0][p[15]]);
  for (; n > 0; --n, ++p) crc = uint16_t((crc << 8) ^ kCrc[0][((crc >> 8) ^ *p) & 0xFF]);
  return crc;
}

}  // namespace stringhash
