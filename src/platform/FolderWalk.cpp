#include "platform/FolderWalk.h"

#include <QDir>

#include "platform/Ansi.h"
#include "platform/FolderListing.h"

namespace files {

namespace {

// A level below the walked folder, in each of the forms the walk keeps.
struct Level {
  QByteArray disk;   // the disk path below the root, '/' after each folder
  QString shown;     // as shown, '/' after each folder
  QByteArray name;   // as single bytes, '\' after each folder
  bool mapped = true;
};

Level Below(const Level& folder, const ListedEntry& e) {
  Level level;
  level.disk = folder.disk + e.diskName;
  level.mapped = folder.mapped && e.mapped;
  level.shown = folder.shown + e.shown;
  if (level.mapped) level.name = folder.name + e.bytes;
  return level;
}

LeftOut LeftOutFolder(const Level& level) {
  return LeftOut{level.shown + QLatin1Char('/'), level.mapped ? level.name + '\\' : QByteArray()};
}

}  // namespace

FolderContents WalkFolder(const QString& folder, const WalkProgress& progress) {
  FolderContents found;
  QByteArray root = DiskPath(QDir(folder).absolutePath());
  if (!root.endsWith('/')) root += '/';
  // Where links may lead: the folder as the file system resolves it.
  QByteArray inside = ResolvedDiskPath(root);
  if (!inside.endsWith('/')) inside += '/';
  QList<Level> pending{Level{}};  // folders still to walk, below root
  int done = 0;
  while (!pending.isEmpty()) {
    const Level below = pending.takeLast();
    QList<ListedEntry> entries;
    if (!ListFolder(root + below.disk, entries) && !below.disk.isEmpty()) {
      // Readable a moment ago, yet its listing broke off: what it holds
      // cannot be told in full.
      found.leftOut << LeftOut{below.shown, below.mapped ? below.name : QByteArray()};
    }
    for (const ListedEntry& e : std::as_const(entries)) {
      const Level level = Below(below, e);
      if (e.diskName.startsWith('.')) {
        found.leftOut << (e.folder ? LeftOutFolder(level) : LeftOut{level.shown, level.name});
      } else if (e.folder) {
        // A linked folder may lead back up the tree; one that cannot be listed
        // would look empty.
        if (e.link || !e.readable) {
          found.leftOut << LeftOutFolder(level);
        } else {
          Level into = level;
          into.disk += '/';
          into.shown += QLatin1Char('/');
          if (into.mapped) into.name += '\\';
          pending << into;
        }
      } else if (e.link && !(e.target.startsWith(inside))) {
        // A link to a file elsewhere (or to nothing).
        found.leftOut << LeftOut{level.shown, level.name};
      } else if (e.file && e.readable) {
        const QByteArray diskPath = root + level.disk;
        found.files << FoundFile{level.name, level.shown, QtPath(diskPath), diskPath, e.size, e.id};
      } else {
        // A pipe, socket or device; a link to nothing (or to itself); a file
        // without the right to read it.
        found.leftOut << LeftOut{level.shown, level.name};
      }
    }
    ++done;
    if (progress && !progress(done, done + int(pending.size()))) {
      found.stopped = true;
      break;
    }
  }
  return found;
}

bool ReadFoundFile(const FoundFile& file, QByteArray& bytes) {
  return ReadDiskFile(file.diskPath, bytes);
}

}  // namespace files
