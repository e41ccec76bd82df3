#include "ImplodeBound.h"

#include <vector>

namespace archwrit {

namespace {

constexpr size_t kMaxLength = 0xFFFF;         // positions + 1 fit in 16 bits
constexpr uint32_t kMaxPairDistance = 0x100;  // implode's farthest 2-byte repetition
constexpr int kMaxChainSteps = 64;            // beyond this a triple counts as seen

// Per thread: where each byte pair was last seen, and the one before it at
// each position. Entries carry a generation in their high half, so that the
// table need not be cleared for every sector.
struct PairIndex {
  std::vector<uint32_t> last = std::vector<uint32_t>(0x10000, 0);
  std::vector<uint16_t> previous = std::vector<uint16_t>(kMaxLength, 0);
  uint32_t generation = 0;

  void startSector() {
    if (++generation == 0x10000) {
      std::fill(last.begin(), last.end(), 0);
      generation = 1;
    }
  }
  // 1 + the last position of the pair in this sector, or 0.
  uint32_t find(uint32_t pair) const { return last[pair] >> 16 == generation ? last[pair] & 0xFFFF : 0; }
};

}  // namespace

bool implodeCannotShrink(const uint8_t* data, size_t length) {
  if (length < 2 || length > kMaxLength) return false;
  thread_local PairIndex index;
  index.startSector();
  uint64_t covered = 0;
  for (size_t q = 0; q + 1 < length; ++q) {
    const uint32_t pair = data[q] | uint32_t(data[q + 1]) << 8;
    const uint32_t seen = index.find(pair);
    if (seen != 0) {
      if (q - (seen - 1) <= kMaxPairDistance) covered += 2;
      if (q + 2 < length) {
        int steps = 0;
        for (uint32_t at = seen; at != 0; at = index.previous[at - 1]) {
          if (data[at + 1] == data[q + 2] || ++steps == kMaxChainSteps) {
            covered += 3;
            break;
          }
        }
      }
      if (covered * 9 >= length) return false;
    }
    index.previous[q] = uint16_t(seen);
    index.last[pair] = index.generation << 16 | uint32_t(q + 1);
  }
  return true;
}

}  // namespace archwrit
