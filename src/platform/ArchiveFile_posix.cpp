#include "platform/ArchiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace storm {

namespace {

int64_t Nanoseconds(const timespec& t) {
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Descriptors 0 to 2 held (on /dev/null where one is closed), so that no
// archive file, ours or the library's own, is given one of their numbers:
// StormLib closes descriptor 0 when it fails to open a file, which would take
// a kept archive's file from under the cache.
void HoldStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDWR);
    if (held >= 0 && held != fd) ::close(held);  // taken meanwhile; nothing to hold
  }
}

}  // namespace

int64_t WallClockNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

bool StampOfRegularFile(const char* path, FileStamp& stamp) {
  struct stat st {};
  if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  stamp.path = path;
  stamp.size = st.st_size;
  stamp.mtimeNs = Nanoseconds(st.st_mtim);
  stamp.ctimeNs = Nanoseconds(st.st_ctim);
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  return true;
}

int OpenArchiveFile(const char* path) {
  HoldStandardDescriptors();
  return ::open(path, O_RDONLY | O_CLOEXEC);
}

void CloseArchiveFile(int fd) {
  ::close(fd);
}

bool ReadArchiveAt(int fd, uint64_t offset, void* buffer, size_t size) {
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = ::pread(fd, out, size, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += uint64_t(got);
    size -= size_t(got);
  }
  return true;
}

bool RegularFileSize(int fd, uint64_t& size) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = st.st_size < 0 ? 0 : uint64_t(st.st_size);
  return true;
}

std::string LibraryPath(const char* path) {
  return path;
}

}  // namespace storm
