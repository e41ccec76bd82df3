#include "archive/ArchiveUpdate.h"

#include <utility>

#include "archive/ArchiveReader.h"
#include "archive/UpdateLibrary.h"
#include "platform/FileInUse.h"

ArchiveUpdate::~ArchiveUpdate() {
  Commit();
  if (loaded_) UnloadUpdateLibrary();
}

ArchiveUpdate::Opened ArchiveUpdate::Open(const QString& path, bool create) {
  if (!loaded_ && !LoadUpdateLibrary()) return Opened::NoLibrary;
  loaded_ = true;
  archive_ = UpdateLibrary::MpqOpenArchiveForUpdate(
      path, create ? UpdateLibrary::kOpenCreate : UpdateLibrary::kOpenExisting, UpdateLibrary::kMaxFiles);
  return archive_ ? Opened::Yes : Opened::Refused;
}

bool ArchiveUpdate::Add(const QString& source, const QByteArray& name, bool replace) {
  return UpdateLibrary::MpqAddFileToArcive(
             archive_, source, name, replace ? UpdateLibrary::kAddReplace : UpdateLibrary::kAddNew) != 0;
}

bool ArchiveUpdate::AddFromDisk(const QByteArray& diskPath, const QByteArray& name, bool replace) {
  return UpdateLibrary::MpqAddDiskFile(archive_, diskPath, name,
                                       replace ? UpdateLibrary::kAddReplace : UpdateLibrary::kAddNew) != 0;
}

bool ArchiveUpdate::Delete(const QByteArray& name) {
  return UpdateLibrary::MpqDeleteFile(archive_, name) != 0;
}

bool ArchiveUpdate::Commit() {
  if (!archive_) return false;
  return UpdateLibrary::MpqCloseUpdatedArchive(std::exchange(archive_, nullptr), 0) != 0;
}

QString UnwritableFormat(const QString& path) {
  const int version = ArchiveFormatVersion(path);
  if (version <= 1) return {};
  return QStringLiteral(
             "the archive is in MPQ format version %1, and this program writes only version 1, the "
             "game's own format")
      .arg(version);
}

QString UpdateRefusal(const QString& path) {
  const QString format = UnwritableFormat(path);
  if (!format.isEmpty()) return format;
  if (files::HeldByAnotherProgram(path, true)) return files::HeldByAnotherProgramReason();
  return QStringLiteral("in use by another update, or no right to write it");
}
