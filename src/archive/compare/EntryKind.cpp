#include "archive/compare/EntryKind.h"

namespace compare {
namespace {

bool HasExtension(const QByteArray& name, const char* ext) {
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < 0) return false;
  const QByteArray tail = name.mid(dot);
  if (tail.contains('\\') || tail.contains(':')) return false;
  return tail.compare(QByteArray(ext), Qt::CaseInsensitive) == 0;
}

}  // namespace

EntryKind KindOf(const QByteArray& name) {
  if (HasExtension(name, ".txt")) return EntryKind::Sheet;
  if (HasExtension(name, ".tbl")) return EntryKind::StringTable;
  return EntryKind::Bytes;
}

}  // namespace compare
