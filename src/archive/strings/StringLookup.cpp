#include "StringLookup.h"

#include <algorithm>
#include <map>

namespace {

// The game's own three first, then the rest by name.
int Rank(const QByteArray& lowerFile) {
  if (lowerFile == "patchstring.tbl") return 0;
  if (lowerFile == "expansionstring.tbl") return 1;
  if (lowerFile == "string.tbl") return 2;
  return 3;
}

}  // namespace

std::vector<QByteArray> StringLookup::TablesToRead(const std::vector<QByteArray>& names) {
  static const QByteArray kFolder = "data\\local\\lng\\";
  struct Table {
    int rank;
    QByteArray lowerFile;
    QByteArray name;
  };
  std::map<QByteArray, std::vector<Table>> byLanguage;  // by lowered language
  std::map<QByteArray, size_t> firstSeen;
  for (const QByteArray& name : names) {
    const QByteArray lower = name.toLower();
    if (!lower.startsWith(kFolder) || !lower.endsWith(".tbl")) continue;
    const QByteArrayView rest = QByteArrayView(lower).sliced(kFolder.size());
    const qsizetype slash = rest.indexOf('\\');
    if (slash <= 0 || rest.sliced(slash + 1).contains('\\')) continue;
    const QByteArray language = rest.first(slash).toByteArray();
    const QByteArray file = rest.sliced(slash + 1).toByteArray();
    firstSeen.try_emplace(language, firstSeen.size());
    byLanguage[language].push_back({Rank(file), file, name});
  }
  const std::vector<Table>* best = nullptr;
  size_t bestSeen = 0;
  for (const auto& [language, tables] : byLanguage) {
    const size_t seen = firstSeen[language];
    if (!best || tables.size() > best->size() || (tables.size() == best->size() && seen < bestSeen)) {
      best = &tables;
      bestSeen = seen;
    }
  }
  if (!best) return {};
  std::vector<Table> tables = *best;
  std::stable_sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) {
    return a.rank != b.rank ? a.rank < b.rank : a.lowerFile < b.lowerFile;
  });
  std::vector<QByteArray> out;
  for (const Table& t : tables) out.push_back(t.name);
  return out;
}

void StringLookup::Add(const StringTable& table) {
  for (const TableString& s : table.strings)
    if (!texts_.contains(s.key)) texts_.insert(s.key, s.text);
}

const QByteArray* StringLookup::Find(const QByteArray& key) const {
  const auto it = texts_.constFind(key);
  return it == texts_.constEnd() ? nullptr : &it.value();
}
