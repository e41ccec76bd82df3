#include "archive/compare/FolderSide.h"

#include <QFileInfo>

#include "archive/TreeEntries.h"
#include "platform/FolderListing.h"
#include "platform/FolderWalk.h"

namespace compare {

bool FolderSide::Open() {
  names_.Clear();
  files_.clear();
  notes_.clear();
  if (!QFileInfo(folder_).isDir()) {
    error_ = QStringLiteral("Cannot open folder %1").arg(folder_);
    return false;
  }
  const files::FolderContents found = files::WalkFolder(folder_);
  QByteArray prefix = prefix_;
  if (!prefix.isEmpty() && !prefix.endsWith('\\')) prefix += '\\';
  QList<names::TreeEntry> entries;
  for (const files::FoundFile& file : found.files) {
    // A name with no single-byte form is no entry any mod could hold.
    if (file.name.isEmpty()) continue;
    const QByteArray name = prefix + file.name;
    if (!IsArchiveOwnEntry(name)) entries.append(names::EntryOfFile(name, file));
  }
  // Which of two files that become one entry stands for it is decided as
  // build decides it, and said as build says it.
  for (const names::TreeClash& clash : names::KeepOnePerEntry(entries))
    notes_.append(names::ClashText(folder_, clash));
  for (const names::TreeEntry& entry : std::as_const(entries))
    if (names_.Add(entry.name)) files_.append(File{entry.file->diskPath, entry.file->size});
  return true;
}

qint64 FolderSide::Size(const QByteArray& name) {
  const qsizetype i = names_.IndexOf(name);
  return i < 0 ? -1 : files_.at(i).size;
}

bool FolderSide::Read(const QByteArray& name, QByteArray& bytes) {
  const qsizetype i = names_.IndexOf(name);
  if (i < 0) return false;
  return files::ReadDiskFile(files_.at(i).diskPath, bytes);
}

}  // namespace compare
