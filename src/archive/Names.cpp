#include "archive/Names.h"

#include <algorithm>

#include "archive/AsciiCase.h"
#include "platform/Ansi.h"

namespace names {

const char16_t* FoldedBytes() {
  // Folding each byte's character alone gives the folded display text: single
  // bytes fold one to one.
  static const struct Table {
    char16_t folded[256];
    Table() {
      for (int b = 0; b < 256; ++b)
        folded[b] = ansi::toDisplay(QByteArray(1, char(b))).toCaseFolded().at(0).unicode();
    }
  } table;
  return table.folded;
}

QString Key(const QByteArray& name) {
  const char16_t* folded = FoldedBytes();
  QString key(name.size(), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(key.data());
  for (char c : name) *out++ = folded[static_cast<unsigned char>(c)];
  return key;
}

QByteArray ArchiveKey(const QByteArray& name) {
  return name.toLower();  // ASCII letters only, whatever the locale
}

bool SameEntry(const QByteArray& a, const QByteArray& b) {
  return ArchiveKey(a) == ArchiveKey(b);
}

bool SameName(const QByteArray& a, const QByteArray& b) {
  return a == b || Key(a) == Key(b);
}

qsizetype IndexOf(const QList<QByteArray>& list, const QByteArray& name) {
  const QString key = Key(name);
  for (qsizetype i = 0; i < list.size(); ++i)
    if (list.at(i) == name || Key(list.at(i)) == key) return i;
  return -1;
}

QByteArray SharedFolder(const QList<QByteArray>& names) {
  if (names.isEmpty()) return {};
  const QByteArray first = names.first();
  qsizetype shared = first.lastIndexOf('\\') + 1;
  for (const QByteArray& name : names) {
    qsizetype same = 0;
    const qsizetype most = std::min(shared, name.size());
    while (same < most && AsciiLower(first.at(same)) == AsciiLower(name.at(same))) ++same;
    shared = same == 0 ? 0 : first.lastIndexOf('\\', same - 1) + 1;
    if (shared == 0) break;
  }
  return first.left(shared);
}

qsizetype RemoveAll(QList<QByteArray>& list, const QByteArray& name) {
  const QString key = Key(name);
  return list.removeIf([&key](const QByteArray& line) { return Key(line) == key; });
}

bool NameSet::Contains(const QList<QByteArray>& list, const QByteArray& name) {
  if (!built_ || !source_.isSharedWith(list)) {
    source_ = list;
    keys_.clear();
    keys_.reserve(list.size());
    for (const QByteArray& line : list) keys_.insert(Key(line));
    built_ = true;
  }
  return keys_.contains(Key(name));
}

}  // namespace names
