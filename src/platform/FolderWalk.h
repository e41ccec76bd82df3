#pragma once
// Every regular file below a folder, at any depth, as a mod folder is brought
// in: names starting with "." are left out (files and folders), links to files
// are followed only when the file they lead to lies inside the folder (a
// downloaded tree must not bring in whatever a link points at), links to
// folders are not followed (so no walk goes round in a loop), and whatever is
// no regular file, or cannot be read, is left out.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace files {

struct FoundFile {
  QString relative;  // below the walked folder, '/' between levels
  QString path;      // the full path
  qint64 size;
};

struct FolderContents {
  QList<FoundFile> files;  // in no particular order
  // What was left out, below the walked folder; a folder ends with '/'.
  QStringList leftOut;
  // The progress stopped the walk: files and leftOut hold only part of it.
  bool stopped = false;
};

// After every folder walked: how many are done, and how many are known so
// far. Returning false stops the walk.
using WalkProgress = std::function<bool(int done, int known)>;

FolderContents WalkFolder(const QString& folder, const WalkProgress& progress = {});

}  // namespace files
