#include "archive/TreeEntries.h"

#include <QDir>
#include <algorithm>

#include "archive/Names.h"

namespace names {

TreeEntry EntryOfFile(const QByteArray& name, const files::FoundFile& file) {
  return TreeEntry{name, ArchiveKey(name), &file};
}

QList<TreeClash> KeepOnePerEntry(QList<TreeEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.name != b.name ? a.name < b.name : a.file->diskPath < b.file->diskPath;
  });
  QList<TreeClash> clashes;
  const auto end =
      std::unique(entries.begin(), entries.end(), [&](const TreeEntry& kept, const TreeEntry& next) {
        if (kept.key != next.key) return false;
        clashes.append(TreeClash{kept.file, next.file});
        return true;
      });
  entries.erase(end, entries.end());
  return clashes;
}

QString ShownPath(const QString& folder, const files::FoundFile& file) {
  return QDir::toNativeSeparators(file.path.isEmpty() ? QDir(folder).filePath(file.relative) : file.path);
}

QString ClashText(const QString& folder, const TreeClash& clash) {
  return QStringLiteral("left out: %1 (the same entry name as %2)")
      .arg(ShownPath(folder, *clash.left), ShownPath(folder, *clash.kept));
}

}  // namespace names
