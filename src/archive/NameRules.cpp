#include "archive/NameRules.h"

#include <algorithm>

#include "archive/Names.h"

namespace names {

bool Storable(const QByteArray& name) {
  if (name.contains('\r') || name.contains('\n')) return false;
  for (const char* own : {"(listfile)", "(attributes)", "(signature)"})
    if (SameName(name, QByteArray(own))) return false;
  return true;
}

bool HasDotOrEmptyLevel(const QByteArray& name) {
  const QList<QByteArray> levels = name.split('\\');
  return std::any_of(levels.cbegin(), levels.cend(),
                     [](const QByteArray& level) { return level.isEmpty() || level == "." || level == ".."; });
}

QList<QByteArray> ExportLevels(const QByteArray& name) {
  if (HasDotOrEmptyLevel(name)) return {};
  const QList<QByteArray> levels = name.split('\\');
  const QByteArray& first = levels.first();
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (first.size() >= 2 && isLetter(first.at(0)) && first.at(1) == ':') return {};
  return levels;
}

}  // namespace names
