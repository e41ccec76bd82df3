#pragma once
// What a file is, whatever path leads to it: two paths (through a link, a
// hard link, or spelt two ways) name one file exactly when their identities
// are equal.
#include <QString>
#include <QtGlobal>

namespace files {

struct FileId {
  quint64 device = 0;
  quint64 node = 0;
  bool known = false;
};

// True when both are known and the same file.
inline bool SameFile(const FileId& a, const FileId& b) {
  return a.known && b.known && a.device == b.device && a.node == b.node;
}

// The identity of what path names (a link followed); unknown when nothing
// is there.
FileId IdentityOf(const QString& path);

}  // namespace files
