// Small POSIX file helpers for the archive writer: an owning descriptor,
// whole-file reads, fast copies and directory syncs.
#pragma once

#include <sys/types.h>
#include <time.h>

#include <memory>
#include <string>

namespace archwrit {

// Owns one file descriptor and closes it when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// The folder part of a path ("." when it has none) and the part after its last '/'.
std::string dirName(const std::string& path);
std::string baseName(const std::string& path);

// The bytes of a whole file, with its modification time.
struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  struct timespec modified = {};
};

// Reads the whole regular file at path. Fails for anything that is not a
// regular file, for files larger than maxSize, and when the file changes size
// while it is read.
bool readWholeFile(const std::string& path, size_t maxSize, FileBytes& bytes);

// Copies every byte of in (from its start) to out (at its current end),
// in the kernel where it can. out must be empty.
bool copyFileContents(int in, int out);

// Makes the folder's entries (a rename or a new name) durable.
bool syncDirectory(const std::string& dir);

}  // namespace archwrit
