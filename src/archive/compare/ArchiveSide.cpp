#include "archive/compare/ArchiveSide.h"

#include <QDir>

#include "archive/TextLines.h"

namespace compare {

bool ArchiveSide::Open() {
  names_.Clear();
  if (!archive_.Open(path_)) {
    error_ = QStringLiteral("Cannot open archive %1").arg(QDir::toNativeSeparators(path_));
    return false;
  }
  QByteArray listfile;
  if (!archive_.Read(QByteArrayLiteral("(listfile)"), listfile)) {
    archive_.Close();
    error_ = QStringLiteral("%1 holds no (listfile): its entries cannot be named").arg(QDir::toNativeSeparators(path_));
    return false;
  }
  // A name the listing holds but the tables do not is no entry (list shows
  // it with the size 0); a named entry that cannot be read stays, and is
  // reported as such.
  for (const QByteArray& line : SplitLines(listfile))
    if (!line.isEmpty() && !IsArchiveOwnEntry(line) && archive_.Holds(line)) names_.Add(line);
  return true;
}

}  // namespace compare
