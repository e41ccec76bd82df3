#include "archive/check/ModSheets.h"

#include <QBuffer>

#include "archive/ArchiveReader.h"
#include "archive/EntryKind.h"
#include "archive/check/CheckRules.h"

namespace check {

bool IsSheetName(const QByteArray& name) {
  return IsSheetEntry(name);
}

bool ReadModSheets(const QString& modPath, SheetFiles& sheets, QList<QByteArray>& unread) {
  LineList names;
  if (!ReadEntryLines(modPath, "(listfile)", names)) return false;
  for (const QByteArray& name : names) {
    if (!IsSheetName(name)) continue;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (ReadEntryToStream(modPath, name, buffer))
      sheets.push_back(SheetFile{name, buffer.data()});
    else
      unread.append(name);
  }
  return true;
}

}  // namespace check
