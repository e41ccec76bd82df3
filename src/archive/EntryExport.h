#pragma once
// Writes one entry of a mod to a disk file, whole or not at all: the pending
// source file when the entry has one, else the entry's bytes in the archive.
// With makeFolders the folders on the way to target are made as needed.
#include <QByteArray>
#include <QString>

enum class ExportResult {
  Written,
  NotCreated,  // the file (or a folder on its way) could not be made
  NotWritten,  // the content could not be read or written; no file was left
};

ExportResult ExportEntry(const QString& archivePath, const QByteArray& name, const QString& sourcePath,
                         const QString& target, bool makeFolders = false);
