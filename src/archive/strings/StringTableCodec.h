#pragma once
// Reading and writing string tables (.tbl), little-endian and packed:
//   header (21 bytes): u16 CRC, u16 string count n, u32 slot count h,
//     u8 version, u32 data start, u32 longest probe, u32 file size;
//   index: n u16 slot numbers, the i-th naming the slot of string i;
//   slots: h records of 17 bytes: u8 used, u16 string, u32 hash % h,
//     u32 key offset, u32 text offset, u16 text length + 1;
//   data: for each string in order, the key, NUL, the text, NUL.
// Reading checks everything a lookup or a display would trust; writing
// recomputes every derived field, so a table read and written unchanged is
// the same bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <utility>
#include <vector>

#include "archive/strings/StringTable.h"

namespace stringtable {

constexpr qsizetype kHeaderSize = 21;
constexpr qsizetype kSlotSize = 17;
// The index holds 16-bit slot numbers.
constexpr uint32_t kMaxSlots = 0x10000;

// A table's strings as views into the bytes it was read from (or into the
// store that holds them), for reading and writing without a copy a string.
using StringViews = std::vector<std::pair<QByteArrayView, QByteArrayView>>;  // key, text
struct TableViews {
  StringViews strings;
  uint32_t slotCount = 0;
  uint8_t version = 0;
};

// False with a short description of the fault ("truncated: ...") when the
// bytes are not a sound string table; table is then left as it was.
bool Read(QByteArrayView bytes, StringTable& table, QString& fault);
// The same, the strings left in the bytes (which must outlive the views).
bool ReadViews(QByteArrayView bytes, TableViews& table, QString& fault);

// The table's bytes. The slot count is kept, raised to the string count
// when strings were added past it. Raises AppError for what the format
// cannot hold (more than 65535 strings, more than kMaxSlots slots, a text
// of 65535 bytes or more, a NUL inside a key or a text), naming the string.
QByteArray Write(const StringTable& table);
QByteArray Write(const TableViews& table);

}  // namespace stringtable
