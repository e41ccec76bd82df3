#include "archive/ArchiveHold.h"

#include "platform/FolderListing.h"
#include "platform/Storm.h"

namespace {

// The archive's disk path as the storm layer takes it, NUL-terminated; empty
// for a path with a NUL inside, which would name something else.
QByteArray StormPath(const QString& archivePath) {
  const QByteArray path = files::DiskPath(archivePath);
  return path.contains('\0') ? QByteArray() : path;
}

}  // namespace

bool OpenArchiveAt(const QString& archivePath, storm::Handle* archive) {
  const QByteArray path = StormPath(archivePath);
  if (path.isEmpty()) return false;
  storm::Handle opened = nullptr;
  if (!storm::OpenArchive(path.constData(), 0, 0, &opened) || !opened) return false;
  *archive = opened;
  return true;
}

storm::FileStamp StampOfArchive(const QString& archivePath) {
  const QByteArray path = StormPath(archivePath);
  storm::FileStamp stamp;
  if (path.isEmpty() || !storm::StampOfRegularFile(path.constData(), stamp)) return {};
  return stamp;
}

ArchiveHold::ArchiveHold(const QString& archivePath) {
  storm::Handle opened = nullptr;
  if (OpenArchiveAt(archivePath, &opened)) archive_ = opened;
}

ArchiveHold::~ArchiveHold() {
  if (archive_) storm::CloseArchive(archive_);
}
