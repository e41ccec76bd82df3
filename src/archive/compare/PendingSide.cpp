#include "archive/compare/PendingSide.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace compare {

bool PendingSide::Open() {
  names_.Clear();
  sources_.clear();
  bool needsArchive = false;
  for (const PendingRow& row : rows_) {
    if (IsArchiveOwnEntry(row.name) || !names_.Add(row.name)) continue;
    sources_.append(row.source);
    needsArchive = needsArchive || row.source.isEmpty();
  }
  if (needsArchive && !archive_.Open(path_)) {
    error_ = QStringLiteral("Cannot open archive %1").arg(QDir::toNativeSeparators(path_));
    return false;
  }
  return true;
}

qint64 PendingSide::Size(const QByteArray& name) {
  const qsizetype i = names_.IndexOf(name);
  if (i < 0) return -1;
  const QString& source = sources_.at(i);
  if (source.isEmpty()) return archive_.Size(name);
  const QFileInfo info(source);
  return info.isFile() ? info.size() : -1;
}

bool PendingSide::Read(const QByteArray& name, QByteArray& bytes) {
  const qsizetype i = names_.IndexOf(name);
  if (i < 0) return false;
  const QString& source = sources_.at(i);
  if (source.isEmpty()) return archive_.Read(name, bytes);
  QFile file(source);
  if (!file.open(QIODevice::ReadOnly)) return false;
  bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}

}  // namespace compare
