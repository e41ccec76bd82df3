#include "archive/ArchiveHold.h"

#include "platform/FolderListing.h"
#include "platform/Storm.h"

ArchiveHold::ArchiveHold(const QString& archivePath) {
  const QByteArray path = files::DiskPath(archivePath);
  if (path.isEmpty() || path.contains('\0')) return;
  if (!storm::OpenArchive(path.constData(), 0, 0, &archive_)) archive_ = nullptr;
}

ArchiveHold::~ArchiveHold() {
  if (archive_) storm::CloseArchive(archive_);
}
