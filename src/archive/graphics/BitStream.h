#pragma once
// A run of bits inside a byte buffer, read least significant bit first. A
// read past the run's end gives 0 and marks the stream as overrun, so a
// decoder runs to its end over hostile input and is refused afterwards.
// The buffer must hold 8 bytes past the last byte of any run.
#include <QtEndian>
#include <cstdint>
#include <cstring>

namespace graphics {

class BitStream {
 public:
  BitStream() = default;
  BitStream(const uint8_t* data, qint64 beginBit, qint64 endBit)
      : data_(data), pos_(beginBit), end_(endBit) {}

  // n bits (0..32) as an unsigned number.
  uint32_t Read(int n) {
    if (end_ - pos_ < n) {
      overrun_ = true;
      pos_ = end_;
      return 0;
    }
    uint64_t word;
    std::memcpy(&word, data_ + (pos_ >> 3), 8);
    word = qFromLittleEndian(word) >> (pos_ & 7);
    pos_ += n;
    return uint32_t(word & ((uint64_t(1) << n) - 1));
  }
  // n bits as a two's complement number of n bits.
  int32_t ReadSigned(int n) {
    const uint32_t v = Read(n);
    if (n == 0 || n == 32) return int32_t(v);
    return (v & (1u << (n - 1))) ? int32_t(v | ~((1u << n) - 1)) : int32_t(v);
  }
  void AlignToByte() { pos_ = std::min(end_, (pos_ + 7) & ~qint64(7)); }

  qint64 Position() const { return pos_; }
  qint64 End() const { return end_; }
  bool Overrun() const { return overrun_; }

 private:
  const uint8_t* data_ = nullptr;
  qint64 pos_ = 0;
  qint64 end_ = 0;
  bool overrun_ = false;
};

}  // namespace graphics
