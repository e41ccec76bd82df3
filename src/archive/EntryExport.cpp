#include "archive/EntryExport.h"

#include "archive/ArchiveReader.h"
#include "platform/AppError.h"
#include "platform/ReplacingFile.h"

ExportResult ExportEntry(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                         const QString& target, bool makeFolders) {
  files::ReplacingFile out(target);
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
  return read && out.Commit() ? ExportResult::Written : ExportResult::NotWritten;
}
