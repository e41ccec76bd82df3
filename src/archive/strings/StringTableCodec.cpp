#include "StringTableCodec.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "archive/strings/StringHash.h"
#include "platform/AppError.h"

namespace stringtable {

namespace {

uint16_t U16(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<uint16_t>(bytes.data() + at);
}
uint32_t U32(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<uint32_t>(bytes.data() + at);
}

// Font tables share the extension: the binary ones start with "Woo!", the
// others are plain text. A string table always holds NUL bytes (at least
// in its header's high bytes and after every key).
QString FontFault(QByteArrayView bytes) {
  if (bytes.startsWith("Woo!"))
    return QStringLiteral("it is a font table (glyph metrics), not a string table");
  if (!bytes.isEmpty() && !bytes.contains('\0'))
    return QStringLiteral("it is plain text (a font table or a note), not a string table");
  return {};
}

// Where the NUL ending the key that starts at `at` lies; -1 past the end.
qsizetype KeyEnd(QByteArrayView bytes, qsizetype at) {
  const void* nul = std::memchr(bytes.data() + at, 0, size_t(bytes.size() - at));
  return nul ? static_cast<const char*>(nul) - bytes.data() : -1;
}

}  // namespace

bool Read(QByteArrayView bytes, StringTable& table, QString& fault) {
  TableViews views;
  if (!ReadViews(bytes, views, fault)) return false;
  std::vector<TableString> strings(views.strings.size());
  for (size_t i = 0; i < strings.size(); ++i) {
    strings[i].key = views.strings[i].first.toByteArray();
    strings[i].text = views.strings[i].second.toByteArray();
  }
  table.strings = std::move(strings);
  table.slotCount = views.slotCount;
  table.version = views.version;
  return true;
}

bool ReadViews(QByteArrayView bytes, TableViews& table, QString& fault) {
  fault = FontFault(bytes);
  if (!fault.isEmpty()) return false;
  const qsizetype size = bytes.size();
  if (size < kHeaderSize) {
    fault = QStringLiteral("truncated: %1 bytes, shorter than the %2-byte header").arg(size).arg(kHeaderSize);
    return false;
  }
  const uint16_t count = U16(bytes, 2);
  const uint32_t slotCount = U32(bytes, 4);
  const uint8_t version = uint8_t(bytes[8]);
  const uint32_t dataStart = U32(bytes, 9);
  const uint32_t fileSize = U32(bytes, 17);
  if (fileSize != uint64_t(size)) {
    fault = uint64_t(size) < fileSize
                ? QStringLiteral("truncated: the header gives %1 bytes, the file holds %2")
                      .arg(fileSize)
                      .arg(size)
                : QStringLiteral("the file holds %2 bytes, but its header gives %1").arg(fileSize).arg(size);
    return false;
  }
  if (slotCount < count) {
    fault = QStringLiteral("%1 strings but only %2 hash slots").arg(count).arg(slotCount);
    return false;
  }
  const uint64_t indexEnd = uint64_t(kHeaderSize) + 2u * count + uint64_t(kSlotSize) * slotCount;
  if (indexEnd > uint64_t(size)) {
    fault = QStringLiteral(
                "truncated: its %1 strings and %2 slots need %3 bytes before the data, the file holds %4")
                .arg(count)
                .arg(slotCount)
                .arg(indexEnd)
                .arg(size);
    return false;
  }
  if (slotCount > kMaxSlots) {
    fault = QStringLiteral("%1 hash slots, more than its 16-bit index can name (%2)")
                .arg(slotCount)
                .arg(kMaxSlots);
    return false;
  }
  if (dataStart != indexEnd) {
    fault = QStringLiteral("the data starts at offset %1, but its strings and slots end at %2")
                .arg(dataStart)
                .arg(indexEnd);
    return false;
  }

  StringViews strings(count);
  std::vector<int> owner(slotCount, -1);
  for (int i = 0; i < count; ++i) {
    const uint16_t slot = U16(bytes, kHeaderSize + 2 * i);
    if (slot >= slotCount) {
      fault = QStringLiteral("string %1 names slot %2, past the last slot (%3)")
                  .arg(i)
                  .arg(slot)
                  .arg(slotCount - 1);
      return false;
    }
    const qsizetype record = kHeaderSize + 2 * qsizetype(count) + kSlotSize * slot;
    if (bytes[record] == 0) {
      fault = QStringLiteral("string %1 names slot %2, which is unused").arg(i).arg(slot);
      return false;
    }
    if (owner[slot] >= 0) {
      fault = QStringLiteral("strings %1 and %2 both name slot %3").arg(owner[slot]).arg(i).arg(slot);
      return false;
    }
    owner[slot] = i;
    const uint32_t keyAt = U32(bytes, record + 7);
    const uint32_t textAt = U32(bytes, record + 11);
    const uint16_t textLength = U16(bytes, record + 15);
    if (keyAt >= uint64_t(size)) {
      fault = QStringLiteral("the key of string %1 lies at offset %2, past the end (%3 bytes)")
                  .arg(i)
                  .arg(keyAt)
                  .arg(size);
      return false;
    }
    const qsizetype keyEnd = KeyEnd(bytes, keyAt);
    if (keyEnd < 0) {
      fault = QStringLiteral("the key of string %1 runs to the end of the file without its NUL").arg(i);
      return false;
    }
    if (uint64_t(textAt) + textLength > uint64_t(size)) {
      fault = QStringLiteral("the text of string %1 (offset %2, %3 bytes) runs past the end (%4 bytes)")
                  .arg(i)
                  .arg(textAt)
                  .arg(textLength)
                  .arg(size);
      return false;
    }
    if (textLength == 0 || bytes[textAt + textLength - 1] != 0) {
      fault = QStringLiteral("the text of string %1 does not end in NUL").arg(i);
      return false;
    }
    strings[size_t(i)] = {bytes.sliced(keyAt, keyEnd - keyAt), bytes.sliced(textAt, textLength - 1)};
  }
  table.strings = std::move(strings);
  table.slotCount = slotCount;
  table.version = version;
  return true;
}

namespace {

// Raises the first fault, in string order, that keeps the strings from
// being written.
void CheckWritable(const StringViews& strings) {
  if (strings.size() > 0xFFFF)
    throw AppError(QStringLiteral("%1 strings: a string table holds at most 65535").arg(strings.size()));
  for (size_t i = 0; i < strings.size(); ++i) {
    const auto& [key, text] = strings[i];
    if (key.contains('\0')) throw AppError(QStringLiteral("The key of string %1 holds a NUL byte").arg(i));
    if (text.contains('\0')) throw AppError(QStringLiteral("The text of string %1 holds a NUL byte").arg(i));
    if (text.size() >= 0xFFFF)
      throw AppError(QStringLiteral("The text of string %1 is %2 bytes long; at most 65534 fit")
                         .arg(i)
                         .arg(text.size()));
  }
}

// The NUL bytes in [p, p + n). std::count widens every lane to 64 bits;
// byte lanes, emptied before any can wrap, let the compiler compare and add
// sixteen bytes at once (several times faster over a table's data).
qsizetype CountNuls(const char* p, qsizetype n) {
  constexpr int kLanes = 16;
  qsizetype total = 0;
  while (n > 0) {
    const qsizetype block = std::min<qsizetype>(n, 255 * kLanes);
    uint8_t lanes[kLanes] = {};
    qsizetype i = 0;
    for (; i + kLanes <= block; i += kLanes)
      for (int l = 0; l < kLanes; ++l) lanes[l] += uint8_t(p[i + l] == '\0');
    for (const uint8_t count : lanes) total += count;
    for (; i < block; ++i) total += p[i] == '\0';
    p += block;
    n -= block;
  }
  return total;
}

void Put16(char* at, uint16_t value) {
  qToLittleEndian(value, at);
}
void Put32(char* at, uint32_t value) {
  qToLittleEndian(value, at);
}

// The free slots of a table being written, as bits, and over them a bit per
// 64 slots telling whether any of those is free: finding the first free slot
// at or after a key's home slot costs a few word scans, however long the
// run of used slots (a nearly full table, as real ones are, has long runs).
class FreeSlots {
 public:
  explicit FreeSlots(uint32_t count)
      : slots_((size_t(count) + 63) / 64, ~uint64_t(0)), words_((slots_.size() + 63) / 64) {
    if (count % 64) slots_.back() = (uint64_t(1) << (count % 64)) - 1;
    for (size_t w = 0; w < slots_.size(); ++w) words_[w / 64] |= uint64_t(1) << (w % 64);
  }

  // The first free slot at or after `from`, wrapping past the last; taken.
  // One must be free.
  uint32_t Take(uint32_t from) {
    size_t word = from / 64;
    uint64_t bits = slots_[word] & (~uint64_t(0) << (from % 64));
    if (!bits) {
      word = NextWord(word + 1);
      if (word == kNone) word = NextWord(0);
      bits = slots_[word];
    }
    const uint32_t slot = uint32_t(word * 64 + size_t(std::countr_zero(bits)));
    slots_[word] &= ~(uint64_t(1) << (slot % 64));
    if (!slots_[word]) words_[word / 64] &= ~(uint64_t(1) << (word % 64));
    return slot;
  }

 private:
  static constexpr size_t kNone = ~size_t(0);

  // The first word at or after `from` with a free slot.
  size_t NextWord(size_t from) const {
    if (from >= slots_.size()) return kNone;
    size_t at = from / 64;
    uint64_t bits = words_[at] & (~uint64_t(0) << (from % 64));
    while (!bits) {
      if (++at == words_.size()) return kNone;
      bits = words_[at];
    }
    return at * 64 + size_t(std::countr_zero(bits));
  }

  std::vector<uint64_t> slots_;  // bit s % 64 of word s / 64: slot s is free
  std::vector<uint64_t> words_;  // bit w % 64 of word w / 64: slots_[w] has a free slot
};

}  // namespace

QByteArray Write(const StringTable& table) {
  TableViews views;
  views.slotCount = table.slotCount;
  views.version = table.version;
  views.strings.reserve(table.strings.size());
  for (const TableString& s : table.strings) views.strings.emplace_back(s.key, s.text);
  return Write(views);
}

QByteArray Write(const TableViews& table) {
  // The NULs are looked for once the data is written, in one pass over it
  // rather than a search a key and a text; a fault is then named as
  // CheckWritable names it.
  if (table.strings.size() > 0xFFFF) CheckWritable(table.strings);
  for (const auto& string : table.strings)
    if (string.second.size() >= 0xFFFF) CheckWritable(table.strings);
  const uint32_t count = uint32_t(table.strings.size());
  const uint32_t slotCount = std::max(table.slotCount, count);
  // The index names slots in 16 bits: a slot past them could not be named.
  if (slotCount > kMaxSlots) {
    CheckWritable(table.strings);
    throw AppError(
        QStringLiteral("%1 hash slots: a string table holds at most %2").arg(slotCount).arg(kMaxSlots));
  }
  const qsizetype dataStart = kHeaderSize + 2 * qsizetype(count) + kSlotSize * qsizetype(slotCount);
  qsizetype size = dataStart;
  for (const auto& [key, text] : table.strings) size += key.size() + text.size() + 2;
  if (size > qsizetype(0xFFFFFFFFu)) {
    CheckWritable(table.strings);
    throw AppError(QStringLiteral("The string table would exceed 4 GiB"));
  }

  // Header, index and slots start zeroed (an unused slot is all zero); the
  // data part is written whole below, its NULs included.
  QByteArray out(size, Qt::Uninitialized);
  char* base = out.data();
  std::memset(base, 0, size_t(dataStart));
  char* const index = base + kHeaderSize;
  char* const records = index + 2 * qsizetype(count);
  std::vector<uint32_t> homes(count);
  stringhash::KeyHashes(
      count, [&](size_t i) { return table.strings[i].first; }, slotCount, homes.data());
  FreeSlots free(slotCount);
  uint32_t longest = 0;
  qsizetype at = dataStart;
  for (uint32_t i = 0; i < count; ++i) {
    const auto& [key, text] = table.strings[i];
    const uint32_t hash = homes[i];
    // Lookups step +1 from the home slot, wrapping, to the first free one.
    const uint32_t slot = free.Take(hash);
    const uint32_t probe = (slot >= hash ? slot - hash : slot + slotCount - hash) + 1;
    longest = std::max(longest, probe);
    Put16(index + 2 * i, uint16_t(slot));

    char* record = records + kSlotSize * qsizetype(slot);
    record[0] = 1;
    Put16(record + 1, uint16_t(i));
    Put32(record + 3, hash);
    Put32(record + 7, uint32_t(at));
    if (!key.isEmpty()) std::memcpy(base + at, key.data(), size_t(key.size()));
    at += key.size();
    base[at++] = '\0';
    Put32(record + 11, uint32_t(at));
    Put16(record + 15, uint16_t(text.size() + 1));
    if (!text.isEmpty()) std::memcpy(base + at, text.data(), size_t(text.size()));
    at += text.size();
    base[at++] = '\0';
  }

  // Each key and text wrote one NUL after itself: any other is inside one.
  if (CountNuls(base + dataStart, size - dataStart) != 2 * qsizetype(count)) CheckWritable(table.strings);

  Put16(base + 2, uint16_t(count));
  Put32(base + 4, slotCount);
  base[8] = char(table.version);
  Put32(base + 9, uint32_t(dataStart));
  Put32(base + 13, longest);
  Put32(base + 17, uint32_t(size));
  Put16(base, stringhash::Crc16(QByteArrayView(base + dataStart, size - dataStart)));
  return out;
}

}  // namespace stringtable
