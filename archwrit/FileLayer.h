// Small POSIX file helpers for the archive writer: an owning descriptor,
// positioned reads and writes, fast copies and directory syncs.
#pragma once

#include <sys/types.h>
#include <time.h>

#include <cstdint>
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

// Positioned whole reads and writes; false on an error or a short read.
bool readAllAt(int fd, void* data, size_t size, uint64_t pos);
bool writeAllAt(int fd, const void* data, size_t size, uint64_t pos);

// Copies length bytes of in from inPos to out at outPos, in the kernel where it can.
bool copyRange(int in, uint64_t inPos, int out, uint64_t outPos, uint64_t length);

// Makes the folder's entries (a rename or a new name) durable.
bool syncDirectory(const std::string& dir);

}  // namespace archwrit
