#pragma once
// The archive file as the reader and the archive checks see it: what a look
// at it tells (when any of it differs, the file has changed), opening it to
// read, positioned reads, and the path the archive library's own opens take.
// Paths are disk paths (see FolderListing.h). No Qt here: ARCHWRIT checks
// archives with these too.
#include <cstddef>
#include <cstdint>
#include <string>

namespace storm {

struct FileStamp {
  std::string path;
  int64_t size = 0;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;  // the last change of the file's metadata
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The time now, as the stamps count it.
int64_t WallClockNs();

// False when nothing is at path or it is no regular file: a folder or a pipe
// is refused before anything tries to read it.
bool StampOfRegularFile(const char* path, FileStamp& stamp);

// The file open for reading, or -1.
int OpenArchiveFile(const char* path);
void CloseArchiveFile(int fd);

// Reads exactly size bytes at offset; false on a short read or an error.
bool ReadArchiveAt(int fd, uint64_t offset, void* buffer, size_t size);
// The size of the regular file at fd; false when it is none.
bool RegularFileSize(int fd, uint64_t& size);

// The path as the archive library (which opens files through the system's
// single-byte calls) takes it; empty when it cannot reach the file.
std::string LibraryPath(const char* path);

}  // namespace storm
