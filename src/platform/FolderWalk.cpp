#include "platform/FolderWalk.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace files {

FolderContents WalkFolder(const QString& folder, const WalkProgress& progress) {
  FolderContents found;
  QString root = QDir(folder).absolutePath();
  if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
  // Where links may lead: the folder as the file system resolves it.
  QString inside = QDir(folder).canonicalPath();
  if (!inside.endsWith(QLatin1Char('/'))) inside += QLatin1Char('/');
  QStringList pending{QString()};  // folders still to walk, below root
  int done = 0;
  while (!pending.isEmpty()) {
    const QString below = pending.takeLast();
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (QDirIterator it(root + below, all); it.hasNext();) {
      it.next();
      const QFileInfo info = it.fileInfo();
      const QString relative = below + info.fileName();
      if (info.fileName().startsWith(QLatin1Char('.'))) {
        found.leftOut << (info.isDir() ? relative + QLatin1Char('/') : relative);
      } else if (info.isDir()) {
        // A linked folder may lead back up the tree; one that cannot be listed
        // would look empty.
        if (info.isSymLink() || !info.isReadable() || !info.isExecutable())
          found.leftOut << relative + QLatin1Char('/');
        else
          pending << relative + QLatin1Char('/');
      } else if (info.isSymLink() && !info.canonicalFilePath().startsWith(inside)) {
        // A link to a file elsewhere (or to nothing).
        found.leftOut << relative;
      } else if (info.isFile() && info.isReadable()) {
        found.files << FoundFile{relative, info.absoluteFilePath(), info.size()};
      } else {
        // A pipe, socket or device; a link to nothing (or to itself); a file
        // without the right to read it.
        found.leftOut << relative;
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

}  // namespace files
