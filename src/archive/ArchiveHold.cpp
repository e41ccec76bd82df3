#include "archive/ArchiveHold.h"

#include "platform/FolderListing.h"
#include "platform/Storm.h"

bool OpenArchiveAt(const QString& archivePath, storm::Handle* archive) {
  // The path goes to the library NUL-terminated: one with a NUL inside
  // would name something else, so it names nothing.
  const QByteArray path = files::DiskPath(archivePath);
  if (path.isEmpty() || path.contains('\0')) return false;
  storm::Handle opened = nullptr;
  if (!storm::OpenArchive(path.constData(), 0, 0, &opened) || !opened) return false;
  *archive = opened;
  return true;
}

storm::FileStamp StampOfArchive(const QString& archivePath) {
  const QByteArray path = files::DiskPath(archivePath);
  storm::FileStamp stamp;
  if (path.isEmpty() || path.contains('\0') || !storm::StampOfRegularFile(path.constData(), stamp)) return {};
  return stamp;
}

ArchiveHold::ArchiveHold(const QString& archivePath) {
  storm::Handle opened = nullptr;
  if (OpenArchiveAt(archivePath, &opened)) archive_ = opened;
}

ArchiveHold::~ArchiveHold() {
  if (archive_) storm::CloseArchive(archive_);
}
