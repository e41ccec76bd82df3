#pragma once
// Every regular file below a folder, at any depth, as a mod folder is brought
// in: names starting with "." are left out (files and folders), links to files
// are followed only when the file they lead to lies inside the folder (a
// downloaded tree must not bring in whatever a link points at), links to
// folders are not followed (so no walk goes round in a loop), and whatever is
// no regular file, or cannot be read, is left out. Every file below the
// folder is either found or left out, whatever bytes its name holds.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "platform/FileIdentity.h"

namespace files {

struct FoundFile {
  // Below the walked folder as single bytes, '\' between levels (see
  // ansi::fromDiskName); empty when a level's name has no such form.
  QByteArray name;
  QString relative;     // below the walked folder as shown, '/' between levels
  QString path;         // the full path; empty when Qt's classes cannot spell it
  QByteArray diskPath;  // the full path as the system's calls take it
  qint64 size = 0;
  FileId id;
};

// What was left out, below the walked folder.
struct LeftOut {
  QString relative;  // as shown, '/' between levels; a folder's ends with '/'
  // As single bytes, '\' between levels, a folder's ending with '\'; empty
  // when a level's name has no such form.
  QByteArray name;
};

struct FolderContents {
  QList<FoundFile> files;  // in no particular order
  QList<LeftOut> leftOut;
  // The progress stopped the walk: files and leftOut hold only part of it.
  bool stopped = false;
};

// After every folder walked: how many are done, and how many are known so
// far. Returning false stops the walk.
using WalkProgress = std::function<bool(int done, int known)>;

FolderContents WalkFolder(const QString& folder, const WalkProgress& progress = {});

// The file's bytes, read by its disk path; false when it cannot be read.
bool ReadFoundFile(const FoundFile& file, QByteArray& bytes);

}  // namespace files
