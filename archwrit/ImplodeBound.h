// Tells ahead of PKWARE DCL compression (implode, binary mode) that a sector
// cannot come out smaller than it went in, so that it is stored as it is
// without spending the compressor's time on it. Packed game data (sounds,
// already compressed graphics) is mostly such sectors, and implode is at its
// slowest on them.
//
// The bound: implode writes a 2-byte header, 9 bits for every byte it does
// not cover by a repetition, and more than 0 bits for each repetition, so a
// sector of n bytes cannot shrink unless repetitions cover at least n / 9 of
// its bytes. A repetition of 2 bytes must lie at most 256 bytes back (implode
// takes no farther ones); one of L >= 3 bytes starts L - 2 byte triples that
// occurred before in the sector. So the bytes covered are at most
// 2 x (pairs seen within 256 bytes back) + 3 x (triples seen before).
#pragma once

#include <cstddef>
#include <cstdint>

namespace archwrit {

// True only when implode provably cannot make these bytes smaller; false
// means it may (or the sector is too long to check cheaply).
bool implodeCannotShrink(const uint8_t* data, size_t length);

}  // namespace archwrit
