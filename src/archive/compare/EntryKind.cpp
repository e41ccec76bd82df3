#include "archive/compare/EntryKind.h"

#include "archive/EntryKind.h"

namespace compare {

EntryKind KindOf(const QByteArray& name) {
  if (IsSheetEntry(name)) return EntryKind::Sheet;
  if (EntryExtension(name).compare(QByteArrayLiteral(".tbl"), Qt::CaseInsensitive) == 0)
    return EntryKind::StringTable;
  return EntryKind::Bytes;
}

}  // namespace compare
