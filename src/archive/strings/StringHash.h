#pragma once
// The two checksums of a string table: the hash that places a key in its
// slot, and the CRC over the data part that the header carries.
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace stringhash {

// Over the key's bytes: shift in four bits a byte, folding the top nibble
// back into bits 4..7 so the value stays below 2^28.
uint32_t KeyHash(QByteArrayView key);
// The hashes of keys(0) .. keys(count - 1), each taken modulo `modulo` (not
// 0), into out: KeyHash's values, several keys stepped side by side.
void KeyHashes(size_t count, const std::function<QByteArrayView(size_t)>& keys, uint32_t modulo,
               uint32_t* out);

// CRC-16/CCITT-FALSE: polynomial 0x1021, start 0xFFFF, not reflected.
uint16_t Crc16(QByteArrayView bytes);

}  // namespace stringhash
