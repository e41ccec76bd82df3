#pragma once
// The texts a mod's sheets name by key. The game reads the string tables of
// one language, looking a key up in patchstring first, then
// expansionstring, then string; a mod's own tables come after those three.
// Within a table, and across tables, the first string with a key wins.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <vector>

#include "archive/strings/StringTable.h"

class StringLookup {
 public:
  // Of the internal names, the string tables (named data\local\lng\, the
  // language, a backslash and a file name ending in .tbl, letter case
  // aside) of the language that holds the most, in
  // the order they are looked in; a tie goes to the language named first.
  static std::vector<QByteArray> TablesToRead(const std::vector<QByteArray>& names);

  // Adds the table's keys that no table added before holds.
  void Add(const StringTable& table);
  // The text for a key; null when no table holds it.
  const QByteArray* Find(const QByteArray& key) const;
  bool Empty() const { return texts_.isEmpty(); }
  void Clear() { texts_.clear(); }

 private:
  QHash<QByteArray, QByteArray> texts_;
};
