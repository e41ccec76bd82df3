#pragma once
// Keeps an archive open on the calling thread while it lives, so that the
// reader's transactions on that thread in between use it instead of opening
// the file again; a thread that reads beside others gets an archive of its
// own this way.
#include <QString>

#include "platform/ArchiveFile.h"
#include "platform/Storm.h"

// Opens the archive at the path Qt's classes spell, for reading, through its
// disk name (the name the file system holds, whatever characters it has);
// false, *archive untouched, when there is none to open.
bool OpenArchiveAt(const QString& archivePath, storm::Handle* archive);

// What a look at the archive file at that path tells now: two looks differ
// when the file was replaced or written to in between. An empty path when
// there is no regular file to look at.
storm::FileStamp StampOfArchive(const QString& archivePath);

class ArchiveHold {
 public:
  explicit ArchiveHold(const QString& archivePath);
  ~ArchiveHold();
  ArchiveHold(const ArchiveHold&) = delete;
  ArchiveHold& operator=(const ArchiveHold&) = delete;

  bool IsOpen() const { return archive_ != nullptr; }

 private:
  storm::Handle archive_ = nullptr;
};
