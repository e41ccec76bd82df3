#pragma once
// Every regular file below a folder, at any depth, as a mod folder is brought
// in: names starting with "." are left out (files and folders), links to files
// are followed, links to folders are not (so no walk goes round in a loop),
// and whatever is no regular file, or cannot be read, is left out.
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
};

// After every folder walked: how many are done, and how many are known so far.
using WalkProgress = std::function<void(int done, int known)>;

FolderContents WalkFolder(const QString& folder, const WalkProgress& progress = {});

}  // namespace files
