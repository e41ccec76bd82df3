#include "PosixFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool readWholeFile(const std::string& path, size_t maxSize, FileBytes& bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxSize) return false;
  bytes.modified = st.st_mtim;
  bytes.size = static_cast<size_t>(st.st_size);
  bytes.data.reset(new char[bytes.size + 1]);  // + 1: the probe for growth below
  size_t done = 0;
  // Read one byte more than the size: a file that grew while we read it would be stored cut short.
  while (done <= bytes.size) {
    const ssize_t n = ::read(fd.get(), bytes.data.get() + done, bytes.size + 1 - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done == bytes.size;
}

static bool copyByReadWrite(int in, int out, off_t from) {
  std::vector<char> buffer(1 << 20);
  off_t pos = from;
  for (;;) {
    const ssize_t n = ::pread(in, buffer.data(), buffer.size(), pos);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    ssize_t written = 0;
    while (written < n) {
      const ssize_t w = ::write(out, buffer.data() + written, static_cast<size_t>(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      written += w;
    }
    pos += n;
  }
}

bool copyFileContents(int in, int out) {
  struct stat st;
  if (::fstat(in, &st) != 0) return false;
  off_t inPos = 0;
  off_t remaining = st.st_size;
  while (remaining > 0) {
    const ssize_t n = ::copy_file_range(in, &inPos, out, nullptr, static_cast<size_t>(remaining), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
      // No in-kernel copy between these files: finish with plain reads and writes.
      return copyByReadWrite(in, out, inPos);
    }
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank; copy what is there and check below
    remaining -= n;
  }
  // Anything the file grew by since the fstat above.
  return copyByReadWrite(in, out, inPos);
}

bool syncDirectory(const std::string& dir) {
  UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  return ::fsync(fd.get()) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
}

}  // namespace archwrit
