#include "archive/Names.h"

#include "platform/Ansi.h"

namespace names {

QString Key(const QByteArray& name) {
  return ansi::toDisplay(name).toCaseFolded();
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
