#pragma once
// One row of the Files list.
#include <QByteArray>
#include <QString>

struct ModEntry {
  QByteArray Caption;  // the internal name, with backslashes, as given
  QString SizeText;    // "%d Bytes"
  QString SourcePath;  // the disk file the next Update writes; empty: stays as it is in the archive
};

inline QString SizeText(qint32 size) {
  return QStringLiteral("%1 Bytes").arg(size);
}
