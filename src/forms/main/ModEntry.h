#pragma once
// One row of the Files list.
#include <QByteArray>
#include <QString>

struct ModEntry {
  QByteArray Caption;  // the internal name, with backslashes, as given
  QString SizeText;    // "%d Bytes"
  QString SourcePath;  // the disk file the next Update writes; empty: stays as it is in the archive
};
// Its members move by their bytes: removing a row from a long list is one
// memmove, not a move of every later row.
Q_DECLARE_TYPEINFO(ModEntry, Q_RELOCATABLE_TYPE);

// Add and Open give the low 32 bits of a size, as an entry's size is kept;
// Add Folder gives a file's whole size.
inline QString SizeText(qint64 size) {
  return QStringLiteral("%1 Bytes").arg(size);
}
