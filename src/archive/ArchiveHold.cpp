#include "archive/ArchiveHold.h"

#include <QFile>

#include "platform/Storm.h"

ArchiveHold::ArchiveHold(const QString& archivePath) {
  const QByteArray path = QFile::encodeName(archivePath);
  if (path.isEmpty() || path.contains('\0')) return;
  if (!storm::OpenArchive(path.constData(), 0, 0, &archive_)) archive_ = nullptr;
}

ArchiveHold::~ArchiveHold() {
  if (archive_) storm::CloseArchive(archive_);
}
