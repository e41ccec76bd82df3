#include "archive/EntryExport.h"

#include "archive/ArchiveReader.h"
#include "platform/AppError.h"
#include "platform/ReplacingFile.h"

namespace {

ExportResult Write(files::ReplacingFile& out, bool makeFolders, const QString& archivePath,
                   const QByteArray& name, const QString& sourcePath, files::FolderSyncs* syncs) {
  if (!out.Open(makeFolders)) return ExportResult::NotCreated;
  bool read = false;
  if (!sourcePath.isEmpty()) {
    read = files::CopyInto(sourcePath, out.Device());
  } else {
    try {
      read = ReadEntryToStream(archivePath, name, out.Device());
    } catch (const AppError&) {
      read = false;  // the file did not take every byte
    }
  }
  return read && out.Commit(syncs) ? ExportResult::Written : ExportResult::NotWritten;
}

}  // namespace

ExportResult ExportEntry(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                         const QString& target) {
  files::ReplacingFile out(target);
  return Write(out, false, archivePath, name, sourcePath, nullptr);
}

ExportResult ExportEntryBelow(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                              const QString& folder, const QStringList& levels, files::FolderSyncs& syncs) {
  files::ReplacingFile out(folder, levels);
  return Write(out, true, archivePath, name, sourcePath, &syncs);
}
