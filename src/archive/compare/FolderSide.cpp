#include "archive/compare/FolderSide.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/FolderListing.h"
#include "platform/FolderWalk.h"

namespace compare {

bool FolderSide::Open() {
  names_.Clear();
  files_.clear();
  if (!QFileInfo(folder_).isDir()) {
    error_ = QStringLiteral("Cannot open folder %1").arg(folder_);
    return false;
  }
  QList<files::FoundFile> found = files::WalkFolder(folder_).files;
  // The walk's order depends on the file system; names that differ only in
  // letter case (possible on disk, one entry in an archive) then keep the
  // same spelling every time.
  std::sort(found.begin(), found.end(), [](const files::FoundFile& a, const files::FoundFile& b) {
    return a.name != b.name ? a.name < b.name : a.diskPath < b.diskPath;
  });
  QByteArray prefix = prefix_;
  if (!prefix.isEmpty() && !prefix.endsWith('\\')) prefix += '\\';
  for (const files::FoundFile& file : found) {
    // A name with no single-byte form is no entry any mod could hold.
    if (file.name.isEmpty()) continue;
    const QByteArray name = prefix + file.name;
    if (IsArchiveOwnEntry(name)) continue;
    if (names_.Add(name)) files_.append(File{file.diskPath, file.size});
  }
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
