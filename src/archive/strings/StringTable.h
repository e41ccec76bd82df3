#pragma once
// A string table (.tbl) as the game reads it: its strings in file order, the
// game numbering them by position, and the two header fields that a rewrite
// keeps (the number of hash slots and the version byte). Keys are single-byte
// text; texts are the stored bytes (UTF-8 in real tables), kept exactly.
#include <QByteArray>
#include <cstdint>
#include <vector>

struct TableString {
  QByteArray key;
  QByteArray text;
  bool operator==(const TableString&) const = default;
};

struct StringTable {
  std::vector<TableString> strings;
  // Hash slots as read; a write uses at least one per string.
  uint32_t slotCount = 0;
  uint8_t version = 0;
};
