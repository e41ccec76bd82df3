#include "PosixFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace archwrit {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

std::string dirName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool readAllAt(int fd, void* data, size_t size, uint64_t pos) {
  auto* out = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::pread(fd, out, size, off_t(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    pos += uint64_t(n);
    size -= size_t(n);
  }
  return true;
}

bool writeAllAt(int fd, const void* data, size_t size, uint64_t pos) {
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, in, size, off_t(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    in += n;
    pos += uint64_t(n);
    size -= size_t(n);
  }
  return true;
}

bool copyRange(int in, uint64_t inPos, int out, uint64_t outPos, uint64_t length) {
  while (length > 0) {
    loff_t from = loff_t(inPos), to = loff_t(outPos);
    const ssize_t n = ::copy_file_range(in, &from, out, &to, size_t(std::min<uint64_t>(length, 1u << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // not between these files (or the source ended): copy by hand below
    inPos += uint64_t(n);
    outPos += uint64_t(n);
    length -= uint64_t(n);
  }
  std::vector<char> buffer(size_t(std::min<uint64_t>(length, 1u << 20)));
  while (length > 0) {
    const size_t n = size_t(std::min<uint64_t>(length, buffer.size()));
    if (!readAllAt(in, buffer.data(), n, inPos) || !writeAllAt(out, buffer.data(), n, outPos)) return false;
    inPos += n;
    outPos += n;
    length -= n;
  }
  return true;
}

bool syncDirectory(const std::string& dir) {
  UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  return ::fsync(fd.get()) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
}

}  // namespace archwrit
