#pragma once
// Writes one entry of a mod to a disk file, whole or not at all: the pending
// source file when the entry has one, else the entry's bytes in the archive.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace files {
class FolderSyncs;
}

enum class ExportResult {
  Written,
  NotCreated,  // the file (or a folder on its way) could not be made
  NotWritten,  // the content could not be read or written; no file was left
};

// To target, a path the user chose; on disk before this returns.
ExportResult ExportEntry(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                         const QString& target);
// Below folder, one folder level per levels' entry (the last the file's
// name), the folders made as needed and never through a link; syncs takes
// the folders written, to bring them to disk at the end of the run.
ExportResult ExportEntryBelow(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                              const QString& folder, const QStringList& levels, files::FolderSyncs& syncs);
