#pragma once
// One level of a folder as the system lists it, every entry whatever bytes
// its name holds, and files read by the path the system's own calls take.
// Paths here are "disk paths": bytes, exactly as the system's calls take
// them, so that a name that is no valid text (a raw byte such as "caf\xE9")
// is still reached.
#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/FileIdentity.h"

namespace files {

struct ListedEntry {
  QByteArray diskName;  // as the system's calls take it
  QString shown;        // as messages show it: a byte that is no text as \xNN
  // The name as single bytes (see ansi::fromDiskName); mapped is false when
  // a character of it has no single byte, and then bytes is empty.
  QByteArray bytes;
  bool mapped = false;
  bool link = false;      // the entry itself is a symbolic link
  bool folder = false;    // a folder, or a link to one
  bool file = false;      // a regular file, or a link to one
  bool readable = false;  // a file that can be read; a folder that can be listed and entered
  qint64 size = 0;
  FileId id;              // of what the entry is, or leads to
  QByteArray target;      // for a link: the resolved disk path of what it leads to; empty when nothing
};

// The entries of the folder at diskPath, "." and ".." left out, in no
// particular order; false when it cannot be listed.
bool ListFolder(const QByteArray& diskPath, QList<ListedEntry>& entries);

// The folder's path with every link and "." or ".." level resolved; empty
// when there is nothing there.
QByteArray ResolvedDiskPath(const QByteArray& diskPath);

// The disk path of a path Qt's classes spell, and the way back; a disk path
// whose bytes Qt cannot spell gives an empty string.
QByteArray DiskPath(const QString& path);
QString QtPath(const QByteArray& diskPath);

// The file's bytes; false (bytes untouched) when it cannot be read.
bool ReadDiskFile(const QByteArray& diskPath, QByteArray& bytes);

}  // namespace files
