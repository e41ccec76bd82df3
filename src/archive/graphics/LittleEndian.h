#pragma once
// Little-endian words read from and appended to byte arrays; the caller has
// checked that the bytes are there.
#include <QByteArray>
#include <cstdint>
#include <cstring>

namespace graphics {

inline uint32_t Le32(const char* at) {
  uint8_t b[4];
  std::memcpy(b, at, 4);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline uint16_t Le16(const char* at) {
  return uint16_t(uint8_t(at[0]) | uint8_t(at[1]) << 8);
}
inline void PutLe32(QByteArray& out, uint32_t v) {
  const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  out.append(b, 4);
}

}  // namespace graphics
